#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (AddressSanitizer, UndefinedBehaviorSanitizer) and
# fuzzes each for the given number of seconds, starting from the checked-in seeds.
#
#   fuzz/run.sh SECONDS [HARNESS...]      harnesses: params text binary conversion (default all)
#
# CFG2CMTX_FUZZ_JOBS=2 runs two harnesses at a time (default 1). The growing corpus of each
# harness is kept in build-fuzz/work/<harness>, crash, leak and timeout inputs land in
# build-fuzz/artifacts/<harness>/, and the log of each run in build-fuzz/logs/<harness>.log.
# Every finding must be minimised (fuzz_<harness> -minimize_crash=1 -runs=10000 FILE) and
# checked in as corpus/<harness>/regression-<what-went-wrong>.
set -euo pipefail

if [[ $# -lt 1 || ! "$1" =~ ^[0-9]+$ ]]; then
  echo "usage: $0 SECONDS [params|text|binary|conversion]..." >&2
  exit 2
fi
seconds=$1
shift
harnesses=("$@")
[[ ${#harnesses[@]} -eq 0 ]] && harnesses=(params text binary conversion)
jobs=${CFG2CMTX_FUZZ_JOBS:-1}

fuzz_dir=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$fuzz_dir")
build=$root/build-fuzz

CXX=${CXX:-clang++} cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER="${CXX:-clang++}" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCFG2CMTX_FUZZ=ON -DCFG2CMTX_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target $(printf 'fuzz_%s ' "${harnesses[@]}")

max_len() {
  case $1 in
    params) echo 2048 ;;
    binary) echo 2048 ;;
    *) echo 4096 ;;
  esac
}

# A huge atom count in a tiny file makes one large allocation attempt that the program refuses
# by itself (the sanitizer hands back null); the malloc limit must not call that a crash.
run_one() {
  local h=$1
  local work=$build/work/$h artifacts=$build/artifacts/$h log=$build/logs/$h.log
  mkdir -p "$work" "$artifacts" "$(dirname "$log")"
  local dict=()
  [[ $h != binary ]] && dict=(-dict="$fuzz_dir/cfg2cmtx.dict")
  # Paths are absolute: the harnesses change their working directory.
  "$build/fuzz/fuzz_$h" "$work" "$fuzz_dir/corpus/$h" "${dict[@]}" \
    -max_total_time="$seconds" -max_len="$(max_len "$h")" -timeout=20 \
    -malloc_limit_mb=65536 -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" >"$log" 2>&1
}

summary() {
  local h=$1 log=$build/logs/$h.log status=$2
  local last execs corpus findings
  last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  corpus=$(find "$build/work/$h" -type f | wc -l)
  findings=$(find "$build/artifacts/$h" -type f | wc -l)
  printf '%-11s status %s  executions %s  corpus %s  findings %s\n  last: %s\n' \
    "$h" "$status" "${execs:-?}" "$corpus" "$findings" "$last"
}

for h in "${harnesses[@]}"; do
  while [[ $(jobs -rp | wc -l) -ge $jobs ]]; do wait -n || true; done
  echo "fuzzing $h for $seconds s (log: $build/logs/$h.log)"
  (
    status=0
    run_one "$h" || status=$?
    echo "$status" >"$build/logs/$h.status"
  ) &
done
wait

failed=0
echo
for h in "${harnesses[@]}"; do
  status=$(cat "$build/logs/$h.status")
  [[ $status != 0 ]] && failed=1
  summary "$h" "$status"
done
exit $failed
