#!/usr/bin/env bash
# Set up, build, start and test PavluneCards on Debian 12.
#
#   ./pavlune.sh start   install missing packages, build, start the editor
#   ./pavlune.sh test    install missing packages, build, run the whole test suite
#   ./pavlune.sh build   install missing packages and build only
#   ./pavlune.sh windows cross-build for Windows: build-win/package/ (the
#                        folder), build-win/PavluneCards-<version>-win64.zip
#                        and build-win/PavluneCards-<version>-setup.exe
#   ./pavlune.sh windows-test   the Windows build's unit tests under wine
#   ./pavlune.sh web     the browser build: a static site in build-web/site/
#   ./pavlune.sh web-test       the browser build's unit tests under node and
#                        the page's tests in headless Chromium
#   ./pavlune.sh serve   serves build-web/site/ on http://127.0.0.1:8080/
#   ./pavlune.sh setup   installs the packages of every build (desktop,
#                        Windows, browser) and nothing else
#   ./pavlune.sh libraries      builds the Windows and the browser libraries
#                        (each only when its recipe changed)
#
# BUILD_DIR (default: build) and CMAKE_ARGS (extra configure options, for example
# -DPAVLUNE_SANITIZE=address) may be set in the environment.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build_dir="${BUILD_DIR:-$here/build}"

# Every Debian package the project needs: toolchain (with clang-format and
# clang-tidy for the checks), libraries, test tools, the fonts that Japanese
# text needs, the X server for end-to-end runs, node and Chromium for the
# browser's serial link, and RealtimeKit (with its bus and polkit), which
# gives a send real-time priority.
packages=(
  build-essential cmake pkg-config clang libclang-rt-14-dev clang-format clang-tidy
  libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev
  libplist-dev libserialport-dev libudev-dev libfontconfig-dev libxml2-dev libdbus-1-dev
  libcairo2-dev libpango1.0-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-noto-cjk fonts-dejavu-core
  xvfb xdotool x11-utils imagemagick xclip desktop-file-utils poppler-utils
  dbus rtkit polkitd
  python3 ccache
  nodejs chromium
)

# The Windows cross build: compilers, wine to run the tests, NSIS, and what
# the libraries' source packages need to build.
windows_packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  libz-mingw-w64-dev wine wine64 nsis zip
  dpkg-dev autoconf automake libtool googletest
  cmake pkg-config imagemagick fonts-noto-cjk python3 xvfb xdotool
)

as_root() {
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Please run as root or install sudo." >&2; exit 1; }
    sudo "$@"
  else
    "$@"
  fi
}

# The browser build: Emscripten, node for its tools and tests, Chromium to
# test the page in, the font subsetter, and what the libraries' source
# packages need to build.
web_packages=(
  emscripten nodejs chromium python3-fonttools fonts-noto-cjk
  dpkg-dev autoconf automake libtool googletest cmake pkg-config bc python3 ccache
)

install_missing_packages() {
  local wanted=("${@}")
  [ ${#wanted[@]} -eq 0 ] && wanted=("${packages[@]}")
  local missing=()
  for p in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
  # shellcheck disable=SC2086
  cmake -S "$here" -B "$build_dir" ${CMAKE_ARGS:-}
  cmake --build "$build_dir" -j "$(nproc)"
}

# Browser build: see proj.web/web.sh. Its compiles go through ccache like CI's.
web() {
  install_missing_packages "${web_packages[@]}"
  if command -v ccache >/dev/null; then
    export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/pavlune-cards/ccache}"
    CMAKE_ARGS="-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache ${CMAKE_ARGS:-}"
    export CMAKE_ARGS
  fi
  "$here/proj.web/web.sh" "$@"
}

# Windows build: see proj.win32/windows.sh.
windows() {
  install_missing_packages "${windows_packages[@]}"
  BUILD_DIR="${BUILD_DIR:-$here/build-win}" "$here/proj.win32/windows.sh" "$@"
}

case "${1:-}" in
  start)
    install_missing_packages
    build
    exec "$build_dir/bin/pavlune-cards"
    ;;
  test)
    install_missing_packages
    build
    ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
    ;;
  build)
    install_missing_packages
    build
    ;;
  windows)
    windows package
    ;;
  windows-test)
    windows test
    ;;
  web)
    web site
    ;;
  web-test)
    web test
    ;;
  serve)
    web serve
    ;;
  setup)
    install_missing_packages "${packages[@]}" "${windows_packages[@]}" "${web_packages[@]}"
    ;;
  libraries)
    windows libraries
    web libraries
    ;;
  *)
    echo "usage: $0 start|test|build|windows|windows-test|web|web-test|serve|setup|libraries" >&2
    exit 2
    ;;
esac
