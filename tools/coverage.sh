#!/usr/bin/env bash
# Line coverage of the library by the whole test suite, with gcc and gcov alone.
# Usage: tools/coverage.sh [build-folder]   (default build-coverage)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-coverage}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="--coverage -O0" >/dev/null
cmake --build "$build" -j2 >/dev/null
find "$build" -name '*.gcda' -delete
ctest --test-dir "$build" -j2 -E '^valgrind' >/dev/null || echo "note: some tests failed"
cd "$build/CMakeFiles/cfg2cmtx_lib.dir"
# gcov prints per source file "File '...'" and then "Lines executed:P% of N".
find . -name '*.gcda' -exec gcov -n {} + 2>/dev/null | awk '
  /^File / { f = $2; gsub(/\x27/, "", f); keep = f ~ /(^|\/)(driver|config|params|output)\/[^\/]+$/ && f !~ /^\/usr\// }
  keep && /^Lines executed:/ { split($2, a, ":"); sub(/%/, "", a[2]); n = $4; hit = a[2] * n / 100;
    printf "%-40s %6.2f%% of %4d\n", f, a[2], n; total += n; covered += hit; keep = 0 }
  END { printf "library total: %.0f of %d lines, %.1f%%\n", covered, total, 100 * covered / total }'
