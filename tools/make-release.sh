#!/usr/bin/env bash
# Makes the release archives of the committed HEAD in dist/:
#   Linux: cfg2cmtx-VERSION-Linux-x86_64.tar.gz (linked statically, so that it runs on older
#          distributions too) and cfg2cmtx-VERSION-Windows-x86_64.zip (MinGW-w64, linked
#          statically, tried under wine);
#   macOS: cfg2cmtx-VERSION-Darwin-ARCH.tar.gz, or -universal with UNIVERSAL=1.
# Each program is built afresh from HEAD and must pass the case folders before it is packed.
# Needs CMake and a C++ compiler; on Linux also g++-mingw-w64-x86-64-posix and wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
if [ -n "$(git status --porcelain)" ]; then
  echo "make-release: uncommitted changes; commit or stash them, then run again" >&2
  exit 1
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src" dist
git archive HEAD | tar -x -C "$work/src"

# release NAME CMAKE-ARGUMENTS...: builds, runs the case folders, packs into dist/.
release() {
  local name="$1"
  shift
  local build="$work/build-$name"
  cmake -S "$work/src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCFG2CMTX_UNIT_TESTS=OFF \
    -DCMAKE_INSTALL_DOCDIR=. "$@" >/dev/null
  cmake --build "$build" -j2 >/dev/null
  ctest --test-dir "$build" -j2 -R '^(case|example)[.]' --output-on-failure >"$build/cases.log" ||
    { cat "$build/cases.log"; exit 1; }
  (cd "$build" && cpack >/dev/null)
  cp "$build"/cfg2cmtx-*.tar.gz "$build"/cfg2cmtx-*.zip dist/ 2>/dev/null || true
}

case "$(uname -s)" in
  Linux)
    release linux -DCFG2CMTX_STATIC=ON
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    wineboot --init >/dev/null 2>&1 || true
    release windows -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_CXX_COMPILER=x86_64-w64-mingw32-g++-posix \
      -DCMAKE_CROSSCOMPILING_EMULATOR=wine
    ;;
  Darwin)
    release darwin ${UNIVERSAL:+-DCFG2CMTX_UNIVERSAL=ON}
    ;;
  *)
    echo "make-release: no archive is made on $(uname -s)" >&2
    exit 1
    ;;
esac
ls -l dist
