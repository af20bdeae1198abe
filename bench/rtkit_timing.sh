#!/usr/bin/env bash
# Sends kept on time for an ordinary desktop user: runs the serial timing
# benchmark as an unprivileged user (no RLIMIT_RTPRIO, no capabilities)
# twice beside N busy processes, first without RealtimeKit (the sending
# thread's fallback, the normal policy's short slice), then with it.
#
#   rtkit_timing.sh <pavlune-serial-timing-bench> [load (default 4)] [user (default pavlune-bench)]
#
# Run as root: it creates the user when missing, and where RealtimeKit does
# not answer on the system bus it starts a private system bus with polkitd and
# rtkit-daemon for the run. A desktop grants real-time to its active session's
# user through polkit; the benchmark user has no session, so a polkit rule
# grants it the same for the run (removed again at the end).
set -euo pipefail
bench="$1"
load="${2:-4}"
user="${3:-pavlune-bench}"
[ "$(id -u)" -eq 0 ] || { echo "run as root" >&2; exit 2; }

work="$(mktemp -d)"
rule="/etc/polkit-1/rules.d/49-pavlune-bench-$$.rules"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -f "$rule"
  rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"

id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
# The build folder may not be open to that user.
cp "$bench" "$work/bench"
chmod 755 "$work/bench"

rtkit_answers() {
  timeout 5 dbus-send --system --print-reply --dest=org.freedesktop.RealtimeKit1 /org/freedesktop/RealtimeKit1 \
    org.freedesktop.DBus.Properties.Get string:org.freedesktop.RealtimeKit1 string:MaxRealtimePriority \
    >/dev/null 2>&1
}

cat > "$rule" <<EOF
polkit.addRule(function(action, subject) {
    if (action.id == "org.freedesktop.RealtimeKit1.acquire-real-time" && subject.user == "$user") {
        return polkit.Result.YES;
    }
});
EOF
chmod 644 "$rule"

bus_address="${DBUS_SYSTEM_BUS_ADDRESS:-unix:path=/run/dbus/system_bus_socket}"
if ! rtkit_answers; then
  # A private system bus with the system's own policies for polkit and rtkit.
  cat > "$work/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$work/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <deny own="*"/>
    <deny send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_requested_reply="true" send_type="method_return"/>
    <allow send_requested_reply="true" send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
    <allow receive_type="signal"/>
    <allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus"/>
  </policy>
  <includedir>/usr/share/dbus-1/system.d</includedir>
</busconfig>
EOF
  exec 3> "$work/address"
  dbus-daemon --config-file="$work/bus.conf" --nofork --print-address=3 2>/dev/null &
  pids+=($!)
  exec 3>&-
  bus_address="unix:path=$work/system_bus_socket"
  for _ in $(seq 50); do [ -S "$work/system_bus_socket" ] && break; sleep 0.1; done
  export DBUS_SYSTEM_BUS_ADDRESS="$bus_address"
  /usr/lib/polkit-1/polkitd --no-debug >/dev/null 2>&1 &
  pids+=($!)
  # rtkit limits its own file size to 0: its log goes through a pipe.
  /usr/libexec/rtkit-daemon --stderr > >(cat > "$work/rtkit.log") 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do rtkit_answers && break; sleep 0.1; done
  rtkit_answers || { echo "rtkit-daemon did not start:" >&2; cat "$work/rtkit.log" >&2; exit 1; }
  echo "private system bus with polkitd and rtkit-daemon at $bus_address"
else
  echo "RealtimeKit answers on the system bus"
fi

run_as_user() {
  (cd "$work" && setpriv --reuid="$user" --regid="$user" --clear-groups --inh-caps=-all \
    env -i PATH=/usr/bin:/bin DBUS_SYSTEM_BUS_ADDRESS="$1" ./bench --load "$load")
}

echo
echo "=== without RealtimeKit (as $user; uptime: $(uptime))"
run_as_user "unix:path=$work/no-bus-here"
echo
echo "=== with RealtimeKit (as $user; uptime: $(uptime))"
run_as_user "$bus_address"
echo
echo "uptime at the end: $(uptime)"
[ -f "$work/rtkit.log" ] && grep -E "Successfully made|Failed|refus|Warning" "$work/rtkit.log" | sed 's/^/rtkit: /' || true
