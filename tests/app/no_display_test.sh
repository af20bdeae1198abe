#!/usr/bin/env bash
# With no display to reach, the editor must not run on invisibly on SDL's
# offscreen driver: it says why on standard error and exits with status 1.
# Asking for the offscreen driver by name still opens the application.
#
#   no_display_test.sh <pavlune-cards>
set -uo pipefail
app="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

run() { # run <seconds> <env assignments...>: the application's status, its stderr in $work/err
  env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_DATA_HOME="$work/data" "${@:2}" \
    timeout -s KILL "$1" "$app" 2>"$work/err"
}

run 20
status=$?
if [ "$status" -ne 1 ]; then
  echo "FAIL: without a display the application ended with status $status, not 1" >&2
  cat "$work/err" >&2
  exit 1
fi
grep -q "no display to open a window on" "$work/err" || { echo "FAIL: no reason on stderr:" >&2; cat "$work/err" >&2; exit 1; }

# Asked for by name, the offscreen driver is taken: the application is still
# running when the timeout ends it (status 137 from SIGKILL).
run 3 SDL_VIDEODRIVER=offscreen
status=$?
if [ "$status" -ne 137 ]; then
  echo "FAIL: with SDL_VIDEODRIVER=offscreen the application ended with status $status" >&2
  cat "$work/err" >&2
  exit 1
fi
echo "ok"
