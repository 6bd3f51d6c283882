#!/usr/bin/env bash
# Builds the offline page, build-wasm/cfg2cmtx.html, and the two programs for node
# (build-wasm/cfg2cmtx.js, build-wasm/cfg2xyz.js), which run the case folders:
#   tools/build-web.sh [CMAKE-ARGUMENTS...] && ctest --test-dir build-wasm -R '^(case|example)[.]'
# Further arguments go to CMake: the unit tests need GoogleTest built with Emscripten
# (-DCFG2CMTX_UNIT_TESTS=ON -DGTest_DIR=...), as .ci/run builds it.
# Needs Emscripten (Debian: emscripten), fast_float (libfast-float-dev), node and npm; the page's
# libraries come from npm (npm ci, run here when node_modules is missing).
set -euo pipefail
cd "$(dirname "$0")/.."
# Debian's Emscripten finds its JavaScript parser (acorn) among Debian's node modules.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
[ -d node_modules ] || npm ci --no-audit --no-fund
# The toolchain file without emcmake, whose node options node 20 refuses.
cmake -S . -B build-wasm -DCMAKE_BUILD_TYPE=Release -DCFG2CMTX_UNIT_TESTS=OFF \
  -DCMAKE_TOOLCHAIN_FILE="$(em-config EMSCRIPTEN_ROOT)/cmake/Modules/Platform/Emscripten.cmake" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node)" "$@"
cmake --build build-wasm -j2
ls -l build-wasm/cfg2cmtx.html
