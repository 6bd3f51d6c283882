#!/usr/bin/env bash
# What the progress bar costs a run: the page against the same page built without its progress
# reports (the worker's hook on the reads left unset, so the bar never moves), both in one browser,
# runs alternating, each on a freshly opened page:
#   bench/web/progress.sh
# The 1,000,000-atom text configuration of bench/, all atoms, to .xyz, the shortest of the long
# runs, where a cost per report weighs most. Prints the two medians (seconds) and the ratio of the
# page's to the other's, with its 95 % bootstrap interval. Cancel costs nothing while a run goes
# on: its button only ends the worker when pressed, and both pages show it.
# Environment: BROWSER, RUNS (default 40 each), BENCH_DATA, PAGE as for bench/web/run.sh, whose
# inputs this uses (run it first).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
data="${BENCH_DATA:-/tmp/cfg2cmtx-bench}"
page="$(realpath "${PAGE:-$root/build-wasm/cfg2cmtx.html}")"
# The copy stays beside the module's build, where build.mjs finds the page's npm libraries.
copy="$root/build-wasm/web-without-progress"
rm -rf "$copy"
cp -r "$root/web" "$copy"
sed -i '/^    progressOf(module, id);$/d' "$copy/worker.js"
if cmp -s "$root/web/worker.js" "$copy/worker.js"; then
  echo "worker.js no longer sets its progress hook on one line of its own" >&2
  exit 1
fi
node "$copy/build.mjs" "$root/build-wasm/web/cfg2cmtx_page.js" "$copy/cfg2cmtx.html"
echo "1,000,000 atoms, all, to .xyz, ${RUNS:-40} runs each alternating in ${BROWSER:-chromium}"
printf 'without progress\twith\twith/without\t95 %% interval\n'
node "$root/bench/web/page.mjs" "$copy/cfg2cmtx.html" alternate "$page" "${RUNS:-40}" xyz \
  "$data/text_all.par" "$data/big.cfg" |
  awk -F '\t' '{ printf "%s\t\t\t%s\t%s\t\t%s to %s\n", $1, $2, $3, $4, $5 }'
