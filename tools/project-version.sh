#!/usr/bin/env bash
# Prints the project's version, which is set in CMakeLists.txt only: the release tag, the
# changelog and the archive names are checked against it.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(cfg2cmtx VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ -n "$version" ]] || { echo "project-version: no version in CMakeLists.txt" >&2; exit 1; }
echo "$version"
