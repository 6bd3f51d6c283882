#!/usr/bin/env bash
# Prints the commands that README.md gives for a route, one a line, so that CI runs exactly what
# the README promises:
#   readme-commands.sh top    the first two command lines of the file: build the programs and
#                             convert the example, then build and run the whole test suite
#   readme-commands.sh NAME   the code block after the line "<!-- commands: NAME -->"
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ "${1:-}" == top ]]; then
  grep -m 2 '^    [^ ]' README.md | sed 's/\r$//; s/^    //'
else
  awk -v marker="<!-- commands: ${1:-} -->" '{ sub(/\r$/, "") }
    $0 == marker { on = 1; next }
    on && /^    / { print substr($0, 5); seen = 1; next }
    on && seen { exit }' README.md
fi
