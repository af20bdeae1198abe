#!/usr/bin/env bash
# The Windows build, from this Debian machine (./pavlune.sh windows runs it
# after installing the packages):
#
#   proj.win32/windows.sh package   libraries, programs, folder, zip, installer
#   proj.win32/windows.sh test      libraries, programs, unit tests under wine
#   proj.win32/windows.sh libraries the libraries only
#
# BUILD_DIR (default build-win), PAVLUNE_WIN_DEPS (the libraries' prefix,
# default ~/.cache/pavlune-cards/win64-deps-<recipe>, reused by later runs) and
# CMAKE_ARGS may be set in the environment.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
build_dir="${BUILD_DIR:-$root/build-win}"
# shellcheck source-path=SCRIPTDIR/.. source=tools/libraries/driver-steps.sh
. "$root/tools/libraries/driver-steps.sh"
export WINEPREFIX="${WINEPREFIX:-$(dirname "${PAVLUNE_WIN_DEPS:-$pavlune_cache/win64-deps}")/wine64}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko download prompts: nothing here needs them.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

libraries() {
  build_libraries "$here/build-deps.sh" win64-deps "${PAVLUNE_WIN_DEPS:-}"
}

build() {
  libraries
  # shellcheck disable=SC2086
  cmake -S "$root" -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DPAVLUNE_WIN_DEPS="$deps" -DCMAKE_BUILD_TYPE=Release -DPAVLUNE_BUILD_BENCHMARKS=OFF ${CMAKE_ARGS:-}
  cmake --build "$build_dir" -j "$(nproc)"
}

package() {
  local version stage name
  version="$(sed -n 's/^project(PavluneCards VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
  name="PavluneCards-$version-win64"
  stage="$build_dir/package/PavluneCards"
  rm -rf "$build_dir/package"
  cmake --install "$build_dir" --prefix "$stage" >/dev/null
  # Every library's and font's licence, as Debian's packages state them.
  mkdir -p "$stage/licences"
  cp "$deps"/share/licences/* "$stage/licences/"
  cp /usr/share/doc/fonts-noto-cjk/copyright "$stage/licences/fonts-noto-cjk.txt"
  cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$stage/licences/mingw-w64-runtime.txt"
  (cd "$build_dir/package" && rm -f "../$name.zip" && zip -qr "../$name.zip" PavluneCards)
  makensis -V2 -DSTAGE="$stage" -DOUTFILE="$build_dir/PavluneCards-$version-setup.exe" -DVERSION="$version" \
    "$here/installer.nsi"
  echo "Windows package: $stage"
  echo "                 $build_dir/$name.zip"
  echo "                 $build_dir/PavluneCards-$version-setup.exe"
}

unit_tests() {
  # A wine prefix of our own, made once; the tests need no display.
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    DISPLAY= wineboot --init >/dev/null 2>&1 || true
  fi
  # The serial test compares with the Linux tool's send when it is built.
  if [ -x "$root/build/bin/pavlune-export" ]; then
    export PAVLUNE_REFERENCE_EXPORT="$root/build/bin/pavlune-export"
  fi
  DISPLAY= ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
}

case "${1:-}" in
  libraries) libraries ;;
  package) build; package ;;
  test) build; unit_tests ;;
  *) echo "usage: $0 libraries|package|test" >&2; exit 2 ;;
esac
