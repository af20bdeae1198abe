#!/usr/bin/env bash
# End to end: the real pavlune-cards on a private Xvfb display, driven with
# xdotool. A store of three programs is renamed into, one program is deleted
# through the confirmation box, the editor is opened and left, and the files
# that the application wrote are checked.
#
#   list_screen_e2e.sh <pavlune-cards> [folder for screenshots]
set -euo pipefail

app="$1"
shots="${2:-}"
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work="$(mktemp -d)"
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [ -s "$work/app.log" ] && sed "s/^/  app: /" "$work/app.log" >&2
  exit 1
}
# Polls a command every 0.1 s until it succeeds; false after $1 seconds.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# --- a store of three programs, newest first ---
store="$work/data/PavluneApps/savedatas"
mkdir -p "$store"
entry() {
  printf '<dict><key>identifer</key><integer>%s</integer><key>title</key><string>program %s</string>' "$1" "$1"
  printf '<key>path</key><string>savedatas/%s.plist</string><key>imagepath</key><string>savedatas/img%s.png</string>' "$1" "$1"
  printf '<key>modify</key><string>2026/12/%s 9:3:7</string></dict>\n' "$1"
}
{
  echo '<?xml version="1.0" encoding="UTF-8"?>'
  echo '<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">'
  echo '<plist version="1.0"><dict><key>lastid</key><integer>3</integer><key>datas</key><array>'
  entry 3; entry 2; entry 1
  echo '</array></dict></plist>'
} > "$store/list.plist"
for n in 1 2 3; do
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><array/></plist>\n' > "$store/$n.plist"
done

# --- a display of our own ---
exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"

XDG_DATA_HOME="$work/data" "$app" >"$work/app.log" 2>&1 &
app_pid=$!
window=""
find_window() { window="$(xdotool search --onlyvisible --name '^PavluneApps$' 2>/dev/null | head -n1)"; [ -n "$window" ]; }
wait_for 20 find_window || fail "no window titled PavluneApps"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" = 1024 ] && [ "$HEIGHT" = 768 ] || fail "window is ${WIDTH}x${HEIGHT}, not 1024x768"

# No fixed pauses: each step waits, with a bound, for what it should cause on
# screen (a part of the window's picture changes, then holds still) or in the
# files. Design coordinates are y up, as the screens are laid out.
at() { xdotool mousemove "$((X + $1))" "$((Y + 768 - $2))"; }
# Checksum of the window's pixels, or of the w x h box centred on design (x, y).
picture() {
  local crop=()
  [ $# -eq 4 ] && crop=(-crop "$3x$4+$(($1 - $3 / 2))+$((768 - $2 - $4 / 2))")
  import -window "$window" "${crop[@]}" rgb:- 2>/dev/null | md5sum
}
differs() { local before="$1"; shift; [ "$(picture "$@")" != "$before" ]; }
# True once two looks 0.2 s apart agree: animations and slides have ended.
still() { local a; a="$(picture "$@")"; sleep 0.2; [ "$(picture "$@")" = "$a" ]; }
# Clicks at design (x, y) and waits until the box given (default: the whole
# window) has changed and settled.
click() {
  local x="$1" y="$2"; shift 2
  local before; before="$(picture "$@")"
  at "$x" "$y"; xdotool click 1
  wait_for 10 differs "$before" "$@" || fail "nothing changed after a click at $x,$y"
  wait_for 10 still "$@" || fail "the window did not settle after a click at $x,$y"
}
has() { grep -q "$1" "$store/list.plist"; }
shot() { [ -n "$shots" ] && import -window root "$shots/$1.png" || true; }
alive() { kill -0 "$app_pid" 2>/dev/null || fail "pavlune-cards ended: $(cat "$work/app.log")"; }
wait_for 10 still || fail "the list did not settle"

shot start
# The first program (identifier 3) is the entry right of the start-new entry:
# picture centre (862, 384), title below the picture from y 214 down.
# --- rename it: the box opens with the old title selected, typing replaces it ---
click 862 195 862 195 200 40
xdotool type --delay 50 "renamed"
shot typing
xdotool key --clearmodifiers Return
wait_for 10 has '<string>renamed</string>' || fail "the new title is not in the list file"
alive
shot renamed
has '<string>program 3</string>' && fail "the old title is still in the list file"

# --- Escape leaves the title as it was ---
click 862 195 862 195 200 40
xdotool type --delay 50 "discarded"
typed="$(picture 862 195 200 40)"
xdotool key --clearmodifiers Escape
wait_for 10 differs "$typed" 862 195 200 40 || fail "Escape did not close the box"
wait_for 10 still 862 195 200 40 || fail "the title did not settle"
shot cancelled
grep -q 'discarded' "$store/list.plist" && fail "Escape applied the typed title"
grep -q '<string>renamed</string>' "$store/list.plist" || fail "Escape lost the title"

# --- another window in front takes the focus; the list still answers ---
if command -v xmessage >/dev/null; then
  xmessage -geometry +1100+900 "in front" &
  front_pid=$!
  front=""
  find_front() { front="$(xdotool search --pid "$front_pid" 2>/dev/null | head -n1)"; [ -n "$front" ]; }
  wait_for 10 find_front && xdotool windowfocus --sync "$front" 2>/dev/null || true
fi

# --- delete it: hold the picture, press delete, confirm ---
# The hold is the gesture itself: the button stays down until the delete
# button appears.
delete_button="$(picture 412 634 60 60)"
at 862 384
xdotool mousedown 1
wait_for 10 differs "$delete_button" 412 634 60 60 || fail "holding the picture showed no delete button"
xdotool mouseup 1
wait_for 10 still || fail "the list did not settle after the hold"
shot selected
click 412 634
shot confirm
at 362 284; xdotool click 1
wait_for 10 bash -c '[ ! -e "$1" ]' _ "$store/3.plist" || fail "the deleted program's file is still there"
alive
wait_for 10 still || fail "the list did not settle after deleting"
shot deleted
grep -q '<string>savedatas/3.plist</string>' "$store/list.plist" && fail "the deleted program is still listed"
grep -q '<string>savedatas/2.plist</string>' "$store/list.plist" || fail "program 2 went missing"
grep -A1 '<key>lastid</key>' "$store/list.plist" | grep -q '<integer>3</integer>' || fail "lastid changed"

# --- open the editor on the start-new entry and come back ---
click 512 384
shot editor
click 979 733
alive
shot back
[ -e "$store/1.plist" ] && [ -e "$store/2.plist" ] || fail "a program file went missing"

kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=""
[ -n "${front_pid:-}" ] && kill "$front_pid" 2>/dev/null || true
echo "PASS"
