#!/usr/bin/env bash
# Set up, build, start and test PavluneCards on Debian 12.
#
#   ./pavlune.sh start   install missing packages, build, start the editor
#   ./pavlune.sh test    install missing packages, build, run the whole test suite
#   ./pavlune.sh build   install missing packages and build only
#
# BUILD_DIR (default: build) and CMAKE_ARGS (extra configure options, for example
# -DPAVLUNE_SANITIZE=address) may be set in the environment.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build_dir="${BUILD_DIR:-$here/build}"

# Every Debian package the project needs: toolchain, libraries, test tools,
# the fonts that Japanese text needs, the X server for end-to-end runs, and
# RealtimeKit (with its bus and polkit), which gives a send real-time priority.
packages=(
  build-essential cmake pkg-config clang libclang-rt-14-dev
  libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev
  libplist-dev libserialport-dev libudev-dev libfontconfig-dev libxml2-dev libdbus-1-dev
  libcairo2-dev libpango1.0-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-noto-cjk fonts-dejavu-core
  xvfb xdotool x11-utils imagemagick xclip desktop-file-utils
  dbus rtkit polkitd
  python3
)

install_missing_packages() {
  local missing=()
  for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Please run as root or install sudo." >&2; exit 1; }
    sudo=(sudo)
  fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
  # shellcheck disable=SC2086
  cmake -S "$here" -B "$build_dir" ${CMAKE_ARGS:-}
  cmake --build "$build_dir" -j "$(nproc)"
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
  *)
    echo "usage: $0 start|test|build" >&2
    exit 2
    ;;
esac
