#!/usr/bin/env bash
# Makes the release archives of the committed HEAD in an emptied dist/, with dist/SHA256SUMS:
#   Linux: cfg2cmtx-VERSION-Linux-x86_64.tar.gz (linked statically, so that it runs on older
#          distributions too) and cfg2cmtx-VERSION-Windows-x86_64.zip (MinGW-w64, linked
#          statically, tried under wine), and the offline page with its licences in dist/web/;
#   macOS: cfg2cmtx-VERSION-Darwin-ARCH.tar.gz, or -universal with UNIVERSAL=1.
# Each program is built afresh from HEAD and must pass the case folders before it is packed. Every
# archive holds the page, cfg2cmtx.html, beside the README, and in licenses/ the licences of what
# it links or contains. On macOS the page comes from WEB_PAGE, a dist/web/ that Linux made, or is
# built here when WEB_PAGE is not set.
# Needs CMake and a C++ compiler; on Linux also g++-mingw-w64-x86-64-posix, wine, Emscripten,
# fast_float and npm (tools/build-web.sh); on macOS Homebrew's fast_float.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
if [ -n "$(git status --porcelain)" ]; then
  echo "make-release: uncommitted changes; commit or stash them, then run again" >&2
  exit 1
fi
version=$(tools/project-version.sh)
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
rm -rf dist
mkdir -p "$work/src" dist
git archive HEAD | tar -x -C "$work/src"

# licence DEST NAME FILE...: the licence texts of one component, as its packages give them.
licence() {
  local dest="$1" name="$2"
  shift 2
  mkdir -p "$dest"
  for file in "$@"; do
    [ -s "$file" ] || { echo "make-release: no licence text $file for $name" >&2; exit 1; }
    { echo "=== $name: $(basename "$file")"; cat "$file"; echo; } >>"$dest/$name.txt"
  done
}

# The page and the licences of what it contains: Emscripten's runtime and C and C++ libraries,
# fast_float, three.js and fflate. Made on Linux, where Emscripten comes from Debian.
make_page() {
  local out="$1"
  [ -d "$root/node_modules" ] && ln -s "$root/node_modules" "$work/src/node_modules"
  "$work/src/tools/build-web.sh" >"$work/web.log" 2>&1 || { cat "$work/web.log"; exit 1; }
  mkdir -p "$out"
  cp "$work/src/build-wasm/cfg2cmtx.html" "$out/"
  licence "$out/licenses" emscripten /usr/share/doc/emscripten/copyright
  licence "$out/licenses" fast_float /usr/share/doc/libfast-float-dev/copyright
  licence "$out/licenses" three.js "$work/src/node_modules/three/LICENSE"
  licence "$out/licenses" fflate "$work/src/node_modules/fflate/LICENSE"
}

# release NAME ARCHIVE LICENCES CMAKE-ARGUMENTS...: builds, runs the case folders, packs ARCHIVE
# into dist/ with the page and the licences of folder LICENCES.
release() {
  local name="$1" archive="$2" licences="$3"
  shift 3
  local build="$work/build-$name"
  cp -R "$page/licenses/." "$licences/"
  cmake -S "$work/src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCFG2CMTX_UNIT_TESTS=OFF \
    -DCMAKE_INSTALL_DOCDIR=. -DCFG2CMTX_RELEASE_PAGE="$page/cfg2cmtx.html" \
    -DCFG2CMTX_RELEASE_LICENSES="$licences" "$@" >/dev/null
  cmake --build "$build" -j2 >/dev/null
  ctest --test-dir "$build" -j2 -R '^(case|example)[.]' --output-on-failure >"$build/cases.log" ||
    { cat "$build/cases.log"; exit 1; }
  (cd "$build" && cpack >/dev/null)
  [ -f "$build/$archive" ] || { echo "make-release: $archive was not made" >&2; exit 1; }
  cp "$build/$archive" dist/
}

case "$(uname -s)" in
  Linux)
    page="$root/dist/web"
    make_page "$page"
    # glibc, libstdc++ and libgcc are linked statically: the notice says how to relink.
    licence "$work/linux" glibc /usr/share/doc/libc6/copyright
    licence "$work/linux" libstdc++-libgcc /usr/share/doc/libstdc++6/copyright
    cp "$work/src/tools/relinking.txt" "$work/linux/"
    release linux "cfg2cmtx-$version-Linux-x86_64.tar.gz" "$work/linux" -DCFG2CMTX_STATIC=ON
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    wineboot --init >/dev/null 2>&1 || true
    licence "$work/windows" mingw-w64-runtime-winpthreads /usr/share/doc/mingw-w64-common/copyright
    licence "$work/windows" libstdc++-libgcc /usr/share/doc/gcc-mingw-w64-base/copyright
    release windows "cfg2cmtx-$version-Windows-x86_64.zip" "$work/windows" \
      -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_CXX_COMPILER=x86_64-w64-mingw32-g++-posix \
      -DCMAKE_CROSSCOMPILING_EMULATOR=wine
    checksum=(sha256sum)
    ;;
  Darwin)
    page="${WEB_PAGE:-$root/dist/web}"
    [ -n "${WEB_PAGE:-}" ] || make_page "$page"
    # The programs read numbers with fast_float, from Homebrew; the C++ library is the system's.
    fast_float="$(brew --prefix fast_float)"
    licence "$work/darwin" fast_float "$fast_float"/LICENSE*
    arch=$(uname -m)
    [ -n "${UNIVERSAL:-}" ] && arch=universal
    release darwin "cfg2cmtx-$version-Darwin-$arch.tar.gz" "$work/darwin" \
      ${UNIVERSAL:+-DCFG2CMTX_UNIVERSAL=ON}
    checksum=(shasum -a 256)
    ;;
  *)
    echo "make-release: no archive is made on $(uname -s)" >&2
    exit 1
    ;;
esac
(cd dist && "${checksum[@]}" cfg2cmtx-* >SHA256SUMS)
ls -l dist
cat dist/SHA256SUMS
