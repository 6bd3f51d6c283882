#!/usr/bin/env bash
# The offline page against the native programs, side by side in one run, in a headless browser:
#   bench/web/run.sh
# - the 1,000,000-atom text configuration of bench/, all atoms (option 2), converted to .xyz and
#   to .cmtx: the page's time from the click on Run to the downloads ready (the page measures it),
#   the floor's (bench/web/floor.html: the file read whole and an output of the native file's size
#   offered, what no page can avoid) and the native program's wall time, runs alternating, medians.
#   Targets: .xyz page <= floor + 2 x native, .cmtx page <= native. Each download must equal the
#   native program's file byte for byte. The .cmtx target depends on the machine: the programs
#   flush every line of a .cmtx file, natively a system call each, in the page a call into the
#   browser's file system. It holds where system calls are slow; on one machine where they are
#   not, the flushes of 1,000,000 lines took 0.31 s of native's 0.56 s and 0.32 s of the page's
#   0.94 s in Chromium, and without them the page took 0.63 s and native 0.25 s;
# - with BEFORE set to an earlier page, that page too, in the same alternation (what a change
#   costs, progress and Cancel for example);
# - the binary configuration and the collection of 200 configurations of bench/, all atoms, to
#   .xyz and .cmtx, once: the page reads them in several slices too, and its files must equal the
#   native program's;
# - 10,000,000 atoms (that configuration ten times over) to .cmtx and .xyz: it must convert, and
#   the page says how much memory it used;
# - the page's time from opening from disk to ready to run (target under 1 s), and its size
#   (target under 2 MB).
# Environment: BROWSER (chromium, the default, or firefox), RUNS (default 5), BENCH_DATA (default
# /tmp/cfg2cmtx-bench, about 1.5 GB for the inputs and outputs), PAGE (default
# build-wasm/cfg2cmtx.html), BEFORE, NATIVE (default build-web-native, built here with the
# benchmark tools when missing).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
runs="${RUNS:-5}"
data="${BENCH_DATA:-/tmp/cfg2cmtx-bench}"
page="$(realpath "${PAGE:-$root/build-wasm/cfg2cmtx.html}")"
native="${NATIVE:-$root/build-web-native}"
driver="$root/bench/web/page.mjs"

if [ ! -x "$native/bench/bench_make_inputs" ]; then
  cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release -DCFG2CMTX_BENCH=ON \
    -DCFG2CMTX_UNIT_TESTS=OFF >/dev/null
  cmake --build "$native" -j2 >/dev/null
fi
mkdir -p "$data"
[ -f "$data/big.cfg" ] || "$native/bench/bench_make_inputs" "$data"
# 10,000,000 atoms: big.cfg's header with every count ten times larger, its coordinates ten times.
if [ ! -f "$data/huge.cfg" ]; then
  awk 'NR == 7 || NR == 18 || NR == 22 || NR == 26 { $1 = sprintf("%10d", $1 * 10) } { print }' \
    <(head -n 29 "$data/big.cfg") >"$data/huge.cfg"
  for _ in $(seq 10); do tail -n +30 "$data/big.cfg" >>"$data/huge.cfg"; done
  printf 'huge.cfg\n1\n3\n2\nSi 4000000\nO 3500000\nNa 2500000\n' >"$data/huge.par"
fi

median() { tr ' ' '\n' | sed '/^$/d' | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# native PROGRAM PAR: wall seconds; the outputs stay in $data/native-PROGRAM for the comparison.
native_run() {
  local out="$data/native-$1" start
  mkdir -p "$out"
  cp "$data/$2" "$out/"
  for input in big.cfg big.bcf many_coll.cfg; do ln -sf "$data/$input" "$out/$input"; done
  start=$EPOCHREALTIME
  (cd "$out" && "$native/$1" "$2" </dev/null >/dev/null)
  awk -v start="$start" -v end="$EPOCHREALTIME" 'BEGIN { print end - start }'
}
# page PROGRAM PAR CFG [PAGE]: the page's seconds; the downloads' hashes must be the native files'.
page_run() {
  local shown
  shown=$(node "$driver" "${4:-$page}" run "$1" "$data/$2" "$data/$3")
  if [ "$2" != huge.par ]; then
    (cd "$data/native-cfg2$1" && sha256sum --quiet -c <(tail -n +2 <<<"$shown")) >&2 ||
      { echo "the page's files differ from the native program's" >&2; exit 1; }
  fi
  head -n 1 <<<"$shown"
}

echo "1,000,000 atoms, all, $runs runs alternating in ${BROWSER:-chromium} (medians, seconds)"
printf '%-6s %8s %8s %8s %8s %8s  %s\n' output native floor page before target "page <= target"
floor="$root/bench/web/floor.html"
for kind in xyz cmtx; do
  native_times="" floor_times="" page_times="" before_times=""
  for _ in $(seq "$runs"); do
    native_times+=" $(native_run "cfg2$kind" text_all.par)"
    size=$(stat -c %s "$data/native-cfg2$kind/big.$kind")
    floor_times+=" $(node "$driver" "$floor" floor "$size" "$data/big.cfg")"
    page_times+=" $(page_run "$kind" text_all.par big.cfg | cut -f 1)"
    [ -z "${BEFORE:-}" ] || before_times+=" $(page_run "$kind" text_all.par big.cfg "$BEFORE" | cut -f 1)"
  done
  n=$(median <<<"$native_times")
  f=$(median <<<"$floor_times")
  p=$(median <<<"$page_times")
  b=$(median <<<"${before_times:-0}")
  target=$(awk -v kind="$kind" -v n="$n" -v f="$f" 'BEGIN { print kind == "xyz" ? f + 2 * n : n }')
  printf '%-6s %8.3f %8.3f %8.3f %8.3f %8.3f  %s\n' ".$kind" "$n" "$f" "$p" "$b" "$target" \
    "$(awk -v p="$p" -v t="$target" 'BEGIN { print p <= t ? "yes" : "no" }')"
done

for par in binary_all.par coll_all.par; do
  for kind in xyz cmtx; do
    native_run "cfg2$kind" "$par" >/dev/null
    page_run "$kind" "$par" "$(head -n 1 "$data/$par" | tr -d '[:space:]')" >/dev/null
  done
done
echo "binary and collection inputs, all: the page's files equal the native program's"

echo "10,000,000 atoms, all: the page's seconds and what it says of its memory"
for kind in cmtx xyz; do
  printf '.%-5s %s\n' "$kind" "$(page_run "$kind" huge.par huge.cfg)"
done

ready=$(node "$driver" "$page" ready "$runs")
echo "ready to run after opening from disk: median $(median <<<"$ready") ms of $ready"
echo "page size: $(stat -c %s "$page") bytes"
