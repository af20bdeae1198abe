#!/usr/bin/env bash
# Installs the build tree into a temporary DESTDIR and checks what lands there.
#   check_install.sh <build dir> <install prefix>
set -euo pipefail
build="$1"
prefix="$2"
dest="$(mktemp -d)"
trap 'rm -rf "$dest"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$dest" cmake --install "$build" >"$dest/install.log" 2>&1 || { cat "$dest/install.log"; fail "cmake --install"; }
root="$dest$prefix"

for program in pavlune-cards pavlune-export; do
  [ -x "$root/bin/$program" ] || fail "bin/$program is not installed"
done
[ -f "$root/share/pavlune-cards/res/cards/basic/r_led1.png" ] || fail "the pictures are not installed"
[ -e "$root/share/pavlune-cards/res/icons" ] && fail "the icons went into the data folder as well"

entry="$root/share/applications/pavlune-cards.desktop"
[ -f "$entry" ] || fail "no desktop entry"
icon="$(sed -n 's/^Icon=//p' "$entry")"
[ -n "$icon" ] || fail "the desktop entry names no icon"
for size in 16 32 48 64 128 192 256 512; do
  png="$root/share/icons/hicolor/${size}x${size}/apps/$icon.png"
  [ -f "$png" ] || fail "no ${size}x${size} icon named $icon"
  # width and height from the PNG header (bytes 16-23, big-endian)
  read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
    awk '{ print ($1*16777216 + $2*65536 + $3*256 + $4), ($5*16777216 + $6*65536 + $7*256 + $8) }')
  [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "$png is ${width}x${height}"
done

command -v desktop-file-validate >/dev/null || { echo "SKIP: desktop-file-validate is not installed"; exit 77; }
desktop-file-validate "$entry" || fail "desktop-file-validate refused the entry"
echo "PASS"
