#!/bin/sh
# Runs a command with a private virtual X display (Xvfb), a private session bus and the desktop
# accessibility bus (at-spi2-core) on it, the way a screen reader meets the program; stops all
# three again afterwards and returns the command's exit code. The display and the session bus
# are handed on as ORASENT_A11Y_DISPLAY and ORASENT_A11Y_SESSION_BUS, not as DISPLAY and
# DBUS_SESSION_BUS_ADDRESS, so only the tests that ask for them meet them. Without Xvfb,
# dbus-daemon or at-spi2-core the command runs as it is, and those tests skip themselves.
#
#   scripts/with-accessibility-bus.sh ctest -L atspi
set -u
if [ "$#" -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGS...]" >&2
    exit 2
fi
launcher=/usr/libexec/at-spi-bus-launcher
if ! command -v Xvfb >/dev/null 2>&1 || ! command -v dbus-daemon >/dev/null 2>&1 || [ ! -x "$launcher" ]; then
    echo "with-accessibility-bus: Xvfb, dbus-daemon or at-spi2-core missing; running without" >&2
    exec "$@"
fi

runtime=$(mktemp -d "${TMPDIR:-/tmp}/orasent-a11y.XXXXXX") || exit 1
xvfb_pid=""
bus_pid=""
launcher_pid=""
stop_all() {
    for pid in $launcher_pid $bus_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null
    done
    for pid in $launcher_pid $bus_pid $xvfb_pid; do
        tries=0
        while kill -0 "$pid" 2>/dev/null && [ "$tries" -lt 50 ]; do
            tries=$((tries + 1))
            sleep 0.1
        done
    done
    rm -rf "$runtime"
}

# Xvfb writes the number of the display it found free once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$runtime/display" 2>"$runtime/xvfb.log" &
xvfb_pid=$!
tries=0
while [ ! -s "$runtime/display" ] && [ "$tries" -lt 100 ]; do
    tries=$((tries + 1))
    sleep 0.05
done
if [ ! -s "$runtime/display" ]; then
    echo "with-accessibility-bus: Xvfb did not start; running without" >&2
    stop_all
    exec "$@"
fi
display=":$(cat "$runtime/display")"

dbus-daemon --session --fork --nopidfile --print-address=3 --print-pid=4 \
    3>"$runtime/bus" 4>"$runtime/bus.pid" 2>"$runtime/bus.log"
bus_pid=$(cat "$runtime/bus.pid" 2>/dev/null)
session_bus=$(head -n 1 "$runtime/bus")

# The accessibility bus itself; the session bus would also start it on the first request.
DISPLAY="$display" DBUS_SESSION_BUS_ADDRESS="$session_bus" \
    "$launcher" --launch-immediately >"$runtime/launcher.log" 2>&1 &
launcher_pid=$!

ORASENT_A11Y_DISPLAY="$display" ORASENT_A11Y_SESSION_BUS="$session_bus" "$@"
status=$?

if ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "with-accessibility-bus: Xvfb on $display ended before the command did:" >&2
    tail -n 20 "$runtime/xvfb.log" >&2
fi
stop_all
exit "$status"
