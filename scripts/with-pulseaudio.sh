#!/bin/sh
# Runs a command with a PulseAudio server to play into. If none answers, starts a private one
# with a null sink (no sound card needed, works as root without a display), runs the command
# against it, stops it again and returns the command's exit code.
#
#   scripts/with-pulseaudio.sh ctest -L engine
set -u
if [ "$#" -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGS...]" >&2
    exit 2
fi

if pactl info >/dev/null 2>&1; then
    exec "$@"
fi
if ! command -v pulseaudio >/dev/null 2>&1; then
    echo "with-pulseaudio: no PulseAudio server answers and pulseaudio is not installed" >&2
    exec "$@"
fi

runtime=$(mktemp -d "${TMPDIR:-/tmp}/orasent-pulse.XXXXXX") || exit 1
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
export PULSE_RUNTIME_PATH="$runtime/pulse"
export PULSE_STATE_PATH="$runtime/state"
export PULSE_SERVER="unix:$runtime/pulse/native"
mkdir -p "$PULSE_RUNTIME_PATH" "$PULSE_STATE_PATH"

pulseaudio --daemonize=yes --system=no -n --exit-idle-time=-1 --disallow-exit \
    --use-pid-file=yes --log-target=file:"$runtime/pulseaudio.log" \
    --load="module-null-sink sink_name=orasent_null sink_properties=device.description=Null_Output" \
    --load="module-native-protocol-unix auth-anonymous=1" >/dev/null 2>&1
started=$?

# The daemon answers shortly after it forks.
tries=0
while [ "$started" -eq 0 ] && ! pactl info >/dev/null 2>&1; do
    tries=$((tries + 1))
    if [ "$tries" -gt 50 ]; then
        started=1
        break
    fi
    sleep 0.1
done
if [ "$started" -ne 0 ]; then
    echo "with-pulseaudio: could not start a PulseAudio server; see $runtime/pulseaudio.log" >&2
fi

"$@"
status=$?

if [ -f "$PULSE_RUNTIME_PATH/pid" ]; then
    pid=$(cat "$PULSE_RUNTIME_PATH/pid")
    kill "$pid" 2>/dev/null
    tries=0
    while kill -0 "$pid" 2>/dev/null && [ "$tries" -lt 50 ]; do
        tries=$((tries + 1))
        sleep 0.1
    done
fi
rm -rf "$runtime"
exit "$status"
