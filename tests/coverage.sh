#!/usr/bin/env bash
# Line coverage of the library by the whole test suite (gcc + gcov, nothing else needed).
# Usage: tests/coverage.sh [build-folder]   (default build-coverage)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-coverage}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="--coverage -O0" >/dev/null
cmake --build "$build" -j2 >/dev/null
find "$build" -name '*.gcda' -delete
ctest --test-dir "$build" -j2 >/dev/null || echo "note: some tests failed"
objects="$build/CMakeFiles/cfg2cmtx_lib.dir"
cd "$objects"
total=0
covered=0
for gcda in $(find . -name '*.gcda' | sort); do
  source=${gcda%.gcda}
  source=${source#./}
  source=${source%.o}
  # gcov prints "File '<path>'" then "Lines executed:P% of N" for each file it reports.
  summary=$(gcov -n "$gcda" 2>/dev/null | awk -v want="$source" '
    /^File / { f = $2; gsub(/\x27/, "", f); keep = (index(f, want) > 0) }
    keep && /^Lines executed:/ { split($2, a, ":"); sub(/%/, "", a[2]); print a[2], $4; keep = 0 }')
  [ -z "$summary" ] && continue
  read -r percent lines <<<"$summary"
  hit=$(awk -v p="$percent" -v n="$lines" 'BEGIN { printf "%d", p * n / 100 + 0.5 }')
  printf '%-36s %6s%% of %5s lines\n' "$source" "$percent" "$lines"
  total=$((total + lines))
  covered=$((covered + hit))
done
awk -v c="$covered" -v t="$total" 'BEGIN { printf "library total: %d of %d lines, %.1f%%\n", c, t, 100 * c / t }'
