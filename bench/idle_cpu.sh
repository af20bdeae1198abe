#!/usr/bin/env bash
# Idle cost of the list screen: runs the real pavlune-cards on a private Xvfb
# display with a store of three programs, waits until it settles and prints
# the share of one core it uses over 10 s of doing nothing (from the CPU ticks
# in /proc/PID/stat).
#
#   idle_cpu.sh <pavlune-cards> [seconds]
set -euo pipefail
app="$1"
seconds="${2:-10}"
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

store="$work/data/PavluneApps/savedatas"
mkdir -p "$store"
{
  echo '<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict><key>lastid</key><integer>3</integer><key>datas</key><array>'
  for n in 3 2 1; do
    echo "<dict><key>identifer</key><integer>$n</integer><key>title</key><string>program $n</string></dict>"
    printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><array/></plist>\n' > "$store/$n.plist"
  done
  echo '</array></dict></plist>'
} > "$store/list.plist"

exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"

XDG_DATA_HOME="$work/data" "$app" >"$work/app.log" 2>&1 &
app_pid=$!
sleep 3 # start-up and the first frames

ticks() { awk '{print $14 + $15}' "/proc/$app_pid/stat"; }
hz="$(getconf CLK_TCK)"
before="$(ticks)"
sleep "$seconds"
after="$(ticks)"
awk -v t="$((after - before))" -v hz="$hz" -v s="$seconds" \
  'BEGIN { printf "idle list screen: %.2f %% of one core (%d ticks in %d s)\n", 100 * t / hz / s, t, s }'
