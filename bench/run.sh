#!/usr/bin/env bash
# Times cfg2cmtx binaries against the yardstick program bench_limit on large inputs, and
# cfg2xyz binaries against cfg2cmtx.
#
#   bench/run.sh [LABEL=]CFG2CMTX [[LABEL=]CFG2CMTX ...] [xyz:[LABEL=]CFG2XYZ ...]
#
# Environment:
#   BENCH_BUILD  build folder holding bench/bench_make_inputs and bench/bench_limit
#                (default: build-bench beside this script's folder)
#   BENCH_DATA   folder for the inputs and outputs (default: /tmp/cfg2cmtx-bench); the inputs
#                are generated once and reused
#   RUNS         timed runs per program and case (default: 5)
#
# Cases: option 2 writing every atom ("all") and option 4 keeping a slab ("slab"), each for
# the 1,000,000-atom text file, its binary form, and a collection of 200 x 5,000 atoms. Every
# program first runs once per case untimed, and its outputs must equal those of the first
# cfg2cmtx and of bench_limit byte for byte. Then the runs alternate between the programs, and
# the table gives the median wall time and its ratio to bench_limit, the median processor time
# (user + system, less disturbed by other load on the machine) and its ratio, and the peak
# resident memory.
# For a collection, bench_limit's yardstick ("prediction") is its time per atom on the text
# file times the atoms of the collection.
# A program given as xyz:[LABEL=]PATH is a cfg2xyz. Its *.xyz files must hold the atoms of the
# first cfg2cmtx's *.cmtx files line for line ("S x y z" for "S S x y z "), under the right atom
# count and cell line, and its console output must equal that of the first cfg2xyz. It takes
# its turn in the same alternating runs, and a second table gives its median times as ratios to
# those of the first cfg2cmtx, with the peak memory of both.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${BENCH_BUILD:-$here/../build-bench}"
data="${BENCH_DATA:-/tmp/cfg2cmtx-bench}"
runs="${RUNS:-5}"
[ -d "$build" ] && build="$(cd "$build" && pwd)"
make_inputs="$build/bench/bench_make_inputs"
limit="$build/bench/bench_limit"
big_atoms=1000000
coll_atoms=$((200 * 5000))

if [ $# -lt 1 ]; then
  sed -n '2,27p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
fi
for tool in "$make_inputs" "$limit"; do
  if [ ! -x "$tool" ]; then
    echo "missing $tool: configure with -DCFG2CMTX_BENCH=ON and build first" >&2
    exit 2
  fi
done
if [ ! -x /usr/bin/time ]; then
  echo "missing /usr/bin/time (apt-get install -y time)" >&2
  exit 2
fi

labels=()
programs=()
kinds=()  # cmtx or xyz
ref=""    # the first cfg2cmtx: every output is checked against its files
xref=""   # the first cfg2xyz: the console output of the others is checked against its
for arg in "$@"; do
  kind=cmtx
  if [[ "$arg" == xyz:* ]]; then
    kind=xyz
    arg="${arg#xyz:}"
  fi
  if [[ "$arg" == *=* ]]; then
    label="${arg%%=*}"
    path="${arg#*=}"
  else
    label="#$((${#labels[@]} + 1))"
    path="$arg"
  fi
  path="$(cd "$(dirname "$path")" && pwd)/$(basename "$path")"
  [ -x "$path" ] || { echo "not an executable: $path" >&2; exit 2; }
  if [ "$kind" = cmtx ] && [ -z "$ref" ]; then ref=${#programs[@]}; fi
  if [ "$kind" = xyz ] && [ -z "$xref" ]; then xref=${#programs[@]}; fi
  labels+=("$label")
  programs+=("$path")
  kinds+=("$kind")
done
if [ -z "$ref" ]; then
  echo "a cfg2xyz is checked against a cfg2cmtx: give at least one without xyz:" >&2
  exit 2
fi

mkdir -p "$data"
cd "$data"
if [ ! -f big.cfg ] || [ ! -f big.bcf ] || [ ! -f many_coll.cfg ]; then
  echo "generating the inputs in $data ..."
  "$make_inputs" .
fi

cases=(text_all text_slab binary_all binary_slab coll_all coll_slab)
symbols=(Si O Na)
slab_spec="2,-0.2,0.2"

# The yardstick command of a case; a collection is measured by the text case it predicts from.
limit_args() {
  local kind="${1%_*}" sel="${1#*_}" input selection
  case "$kind" in
    text | coll) input=(text big.cfg) ;;
    binary) input=(binary big.bcf) ;;
  esac
  if [ "$sel" = all ]; then selection=all; else selection="$slab_spec"; fi
  echo "${input[@]}" limit.cmtx "$selection" "${symbols[@]}"
}

outputs_of() {  # CASE [EXTENSION]
  case "${1%_*}" in
    coll) ls many_coll[0-9]*."${2:-cmtx}" 2>/dev/null || true ;;
    *) echo "big.${2:-cmtx}" ;;
  esac
}

# The cell line of an .xyz: a cube of twice the box length (reduced coordinates span [-1, 1]),
# in the 7 decimals of the coordinates. Every configuration of the inputs has the same box.
box=$(awk 'NR == 14 { print $1; exit }' big.cfg)
cell_line=$(awk -v b="$box" 'BEGIN { e = sprintf("%.7f", 2 * b)
  printf "Lattice=\"%s 0 0 0 %s 0 0 0 %s\" Properties=species:S:1:pos:R:3 pbc=\"T T T\"\n", e, e, e }')

# check_xyz CMTX XYZ: the .xyz holds the atom lines of the .cmtx (those after its ATOM line)
# with the doubled symbol and the trailing blank dropped, and nothing else.
check_xyz() {
  local cmtx="$1" xyz="$2" atoms
  [ -f "$xyz" ] || return 1
  atoms=$(sed -n '/^ATOM$/,$p' "$cmtx" | tail -n +2 | wc -l)
  [ "$atoms" -gt 0 ] && [ "$(head -n 1 "$xyz")" = "$atoms" ] &&
    [ "$(sed -n 2p "$xyz")" = "$cell_line" ] &&
    cmp -s <(sed -n '/^ATOM$/,$p' "$cmtx" | tail -n +2 | sed -E 's/^([^ ]+) \1 (.*) $/\1 \2/') \
      <(tail -n +3 "$xyz")
}

# run_timed LOGFILE COMMAND...: appends "wall_us peak_kib cpu_us" to LOGFILE.
run_timed() {
  local log="$1" start end
  shift
  # Every run creates its outputs afresh: emptying a file that the previous run has just
  # written waits for the write-back of its pages, which would charge one program for another.
  rm -f ./*.cmtx ./*.xyz ./*.tmp index
  start=$(date +%s%N)
  /usr/bin/time -f "%M %U %S" -o "$data/.peak" "$@" </dev/null >"$data/.stdout" 2>"$data/.stderr"
  end=$(date +%s%N)
  tail -n 1 "$data/.peak" |
    awk -v wall=$(( (end - start) / 1000 )) '{ printf "%d %d %d\n", wall, $1, ($2 + $3) * 1e6 }' >>"$log"
}

median() {  # of column $2 (default 1), in microseconds
  awk -v c="${2:-1}" '{ print $c }' "$1" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

peak() {
  awk 'BEGIN { m = 0 } { if ($2 > m) m = $2 } END { print m }' "$1"
}

logs="$data/.logs"
rm -rf "$logs" reference
mkdir -p "$logs" reference

echo "checking the outputs ..."
order=("$ref")  # the reference first, so that its files are there to compare with
for p in "${!programs[@]}"; do
  if [ "$p" -ne "$ref" ]; then order+=("$p"); fi
done
for c in "${cases[@]}"; do
  rm -f ./*.cmtx ./*.xyz ./*.tmp
  # shellcheck disable=SC2046
  "$limit" $(limit_args "$c")
  for p in "${order[@]}"; do
    rm -f big.cmtx many_coll[0-9]*.cmtx big.xyz many_coll[0-9]*.xyz
    "${programs[$p]}" "$c.par" </dev/null >"$data/.stdout" 2>&1 || {
      echo "${labels[$p]} failed on $c" >&2
      exit 1
    }
    if [ "$p" -eq "$ref" ]; then
      cp "$data/.stdout" "reference/$c.stdout"
      for f in $(outputs_of "$c"); do cp "$f" "reference/$f"; done
      if [ "${c%_*}" != coll ] && ! cmp -s big.cmtx limit.cmtx; then
        echo "${labels[$p]} and bench_limit write different files for $c" >&2
        exit 1
      fi
    elif [ "${kinds[$p]}" = cmtx ]; then
      cmp -s "$data/.stdout" "reference/$c.stdout" || {
        echo "${labels[$p]} prints other console output than ${labels[$ref]} for $c" >&2
        exit 1
      }
      for f in $(outputs_of "$c"); do
        cmp -s "$f" "reference/$f" || {
          echo "${labels[$p]} writes another $f than ${labels[$ref]} for $c" >&2
          exit 1
        }
      done
    else
      if [ "$p" -eq "$xref" ]; then
        cp "$data/.stdout" "reference/$c.xyz.stdout"
      elif ! cmp -s "$data/.stdout" "reference/$c.xyz.stdout"; then
        echo "${labels[$p]} prints other console output than ${labels[$xref]} for $c" >&2
        exit 1
      fi
      expected=$(cd reference && outputs_of "$c")
      if [ "$(outputs_of "$c" xyz | wc -w)" -ne "$(echo "$expected" | wc -w)" ] ||
        [ -n "$(ls ./*.tmp 2>/dev/null)" ]; then
        echo "${labels[$p]} writes other files than ${labels[$ref]} for $c" >&2
        exit 1
      fi
      for f in $expected; do
        check_xyz "reference/$f" "${f%.cmtx}.xyz" || {
          echo "${labels[$p]}'s ${f%.cmtx}.xyz holds other atoms than ${labels[$ref]}'s $f for $c" >&2
          exit 1
        }
      done
    fi
  done
done
rm -rf reference
echo "outputs identical"

nprog=$((${#programs[@]} + 1))  # the programs and the yardstick
for ((r = 0; r < runs; r++)); do
  echo "run $((r + 1)) of $runs ..."
  for c in "${cases[@]}"; do
    for ((k = 0; k < nprog; k++)); do
      q=$(( (k + r) % nprog ))  # rotate the order from run to run
      if [ "$q" -eq 0 ]; then
        # shellcheck disable=SC2046
        run_timed "$logs/$c.limit" "$limit" $(limit_args "$c")
      else
        run_timed "$logs/$c.$((q - 1))" "${programs[$((q - 1))]}" "$c.par"
      fi
    done
  done
done
rm -f ./*.cmtx ./*.xyz ./*.tmp index .stdout .stderr .peak

seconds() { awk -v t="$1" 'BEGIN { printf "%.3f", t / 1e6 }'; }
ratio() { awk -v t="$1" -v l="$2" 'BEGIN { printf "%.2f", t / l }'; }
mib() { awk -v m="$(peak "$1")" 'BEGIN { printf "%.1f", m / 1024 }'; }

printf '\n%-12s %-20s %9s %6s %9s %6s %9s\n' case program "wall s" ratio "cpu s" ratio "peak MiB"
for c in "${cases[@]}"; do
  lim=$(median "$logs/$c.limit")
  lim_cpu=$(median "$logs/$c.limit" 3)
  if [ "${c%_*}" = coll ]; then
    # The yardstick's time per atom of the text file, for the atoms of the collection.
    lim=$(awk -v t="$lim" -v a="$coll_atoms" -v b="$big_atoms" 'BEGIN { print t / b * a }')
    lim_cpu=$(awk -v t="$lim_cpu" -v a="$coll_atoms" -v b="$big_atoms" 'BEGIN { print t / b * a }')
    printf '%-12s %-20s %9s %6s %9s %6s %9s\n' "$c" "limit (prediction)" \
      "$(seconds "$lim")" 1.00 "$(seconds "$lim_cpu")" 1.00 -
  else
    printf '%-12s %-20s %9s %6s %9s %6s %9s\n' "$c" limit \
      "$(seconds "$lim")" 1.00 "$(seconds "$lim_cpu")" 1.00 "$(mib "$logs/$c.limit")"
  fi
  for p in "${!programs[@]}"; do
    t=$(median "$logs/$c.$p")
    t_cpu=$(median "$logs/$c.$p" 3)
    printf '%-12s %-20s %9s %6s %9s %6s %9s\n' "$c" "${labels[$p]}" \
      "$(seconds "$t")" "$(ratio "$t" "$lim")" "$(seconds "$t_cpu")" "$(ratio "$t_cpu" "$lim_cpu")" \
      "$(mib "$logs/$c.$p")"
  done
done

[ -n "$xref" ] || exit 0
printf '\ncfg2xyz against %s (ratios cfg2xyz / cfg2cmtx of the medians of %d runs)\n' "${labels[$ref]}" "$runs"
printf '%-12s %-20s %9s %6s %9s %6s %9s %9s\n' case program "wall s" ratio "cpu s" ratio "peak MiB" "cmtx MiB"
for c in "${cases[@]}"; do
  t_ref=$(median "$logs/$c.$ref")
  t_ref_cpu=$(median "$logs/$c.$ref" 3)
  for p in "${!programs[@]}"; do
    [ "${kinds[$p]}" = xyz ] || continue
    t=$(median "$logs/$c.$p")
    t_cpu=$(median "$logs/$c.$p" 3)
    printf '%-12s %-20s %9s %6s %9s %6s %9s %9s\n' "$c" "${labels[$p]}" \
      "$(seconds "$t")" "$(ratio "$t" "$t_ref")" "$(seconds "$t_cpu")" "$(ratio "$t_cpu" "$t_ref_cpu")" \
      "$(mib "$logs/$c.$p")" "$(mib "$logs/$c.$ref")"
  done
done
# What cfg2xyz is held to on the 1,000,000-atom text file with every atom written.
echo
for p in "${!programs[@]}"; do
  [ "${kinds[$p]}" = xyz ] || continue
  awk -v l="${labels[$p]}" -v t="$(median "$logs/text_all.$p")" -v r="$(median "$logs/text_all.$ref")" \
    -v m="$(peak "$logs/text_all.$p")" 'BEGIN {
      ok = t <= 0.35 * r && m <= 40 * 1024
      printf "text_all %s: wall %.3f x cfg2cmtx (at most 0.35), peak %.1f MiB (at most 40): %s\n",
        l, t / r, m / 1024, ok ? "met" : "MISSED" }'
done
