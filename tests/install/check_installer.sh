#!/usr/bin/env bash
# The Windows installer made from this build, run under wine silently:
#   1. into a folder that holds a teacher's fonts\ and res\: it installs into a
#      PavluneCards folder inside it; the teacher then keeps a note in its res\;
#      the uninstaller removes every file it installed and nothing of theirs;
#   2. into a folder that does not exist: installed there, and the uninstaller
#      leaves no trace of it;
#   3. into a folder whose PavluneCards folder holds someone else's files too:
#      refused, nothing written.
#
#   check_installer.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$1"
source="$2"
command -v makensis >/dev/null || { echo "makensis not found (package nsis)"; exit 77; }
work="$(mktemp -d "${TMPDIR:-/tmp}/pavlune-installer.XXXXXX")"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/stage/PavluneCards" >/dev/null
# zlib: the test is about what goes where, and lzma takes minutes here.
makensis -V1 "-XSetCompressor /FINAL zlib" -DSTAGE="$work/stage/PavluneCards" -DOUTFILE="$work/pavlune-setup.exe" -DVERSION=0.0.0 \
  "$source/proj.win32/installer.nsi" >/dev/null
python3 "$source/tests/install/check_windows_programs.py" 0.0.0 "$work/pavlune-setup.exe" >/dev/null ||
  fail "the installer has no version resource"

windows_path() { winepath -w "$1" 2>/dev/null; }
# The uninstaller as Windows runs it: a copy outside the folder, waited for.
uninstall() {
  cp "$1/uninstall.exe" "$work/un.exe"
  wine "$work/un.exe" /S "_?=$(windows_path "$1")"
}
# Every file under a folder, relative to it, sorted.
files_under() { (cd "$1" && find . -type f | sort); }

# 1. A teacher's folder.
teacher="$work/Documents"
mkdir -p "$teacher/fonts" "$teacher/res"
printf 'school font' >"$teacher/fonts/school-font.ttf"
printf '授業の計画' >"$teacher/res/plan.txt"
wine "$work/pavlune-setup.exe" /S "/D=$(windows_path "$teacher")" || fail "install into a teacher's folder"
installed="$teacher/PavluneCards"
[ -f "$installed/pavlune-cards.exe" ] || fail "no PavluneCards folder of its own in a teacher's folder"
[ ! -e "$teacher/pavlune-cards.exe" ] || fail "installed among a teacher's files"
expected="$(files_under "$work/stage/PavluneCards")"
[ "$(files_under "$installed" | grep -v -e '^./uninstall.exe$' -e '^./installed-files.txt$')" = "$expected" ] ||
  fail "the installed files differ from the package"
printf 'note' >"$installed/res/plan.txt"
uninstall "$installed" || fail "uninstall from a teacher's folder"
[ "$(files_under "$installed")" = "./res/plan.txt" ] ||
  fail "left or removed other files than its own: $(files_under "$installed" | head -5)"
[ "$(cat "$teacher/fonts/school-font.ttf")" = 'school font' ] || fail "the teacher's font is gone"
[ "$(cat "$teacher/res/plan.txt")" = '授業の計画' ] || fail "the teacher's plan is gone"
[ "$(cat "$installed/res/plan.txt")" = 'note' ] || fail "the teacher's note is gone"

# 2. A new folder.
fresh="$work/Fresh"
wine "$work/pavlune-setup.exe" /S "/D=$(windows_path "$fresh")" || fail "install into a new folder"
[ -f "$fresh/pavlune-cards.exe" ] || fail "not installed into the new folder itself"
uninstall "$fresh" || fail "uninstall from a new folder"
[ ! -e "$fresh" ] || fail "left behind: $(cd "$fresh" && find . | head -5)"

# 3. Someone else's PavluneCards folder.
taken="$work/Taken"
mkdir -p "$taken/PavluneCards"
printf 'x' >"$taken/PavluneCards/theirs.txt"
if wine "$work/pavlune-setup.exe" /S "/D=$(windows_path "$taken")"; then
  fail "installed beside someone else's files"
fi
[ "$(files_under "$taken")" = "./PavluneCards/theirs.txt" ] || fail "wrote into a folder it refused"
echo "installer: a teacher's files kept, a new folder left clean, a taken folder refused"
