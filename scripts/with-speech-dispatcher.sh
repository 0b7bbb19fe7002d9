#!/bin/sh
# Runs a command with a private speech-dispatcher: its own configuration (the espeak-ng module,
# PulseAudio output) and its own socket, named to clients in SPEECHD_ADDRESS (so no client
# autospawns the system's server). It plays to a null sink of its own whose monitor is named in
# ORASENT_SPEECHD_MONITOR (when a PulseAudio server answers). A client that autospawns the server
# (SPEECHD_CMD) gets the same private server again; the running server's process id is in the file
# named by ORASENT_SPEECHD_PIDFILE. Stops it afterwards and returns the command's exit code.
# Without speech-dispatcher the command runs as it is (tests that need the server then skip).
#
#   scripts/with-pulseaudio.sh scripts/with-speech-dispatcher.sh ctest -L speechd
set -u
if [ "$#" -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGS...]" >&2
    exit 2
fi
if ! command -v speech-dispatcher >/dev/null 2>&1; then
    echo "with-speech-dispatcher: speech-dispatcher is not installed" >&2
    exec "$@"
fi

home=$(mktemp -d "${TMPDIR:-/tmp}/orasent-speechd.XXXXXX") || exit 1
chmod 700 "$home"
mkdir -p "$home/config/modules" "$home/log"
if [ -f /etc/speech-dispatcher/modules/espeak-ng.conf ]; then
    cp /etc/speech-dispatcher/modules/espeak-ng.conf "$home/config/modules/"
fi
# A second module, speech-dispatcher's generic one running the espeak-ng program: like several
# desktop modules it drops SSML marks.
cat >"$home/config/modules/espeak-ng-generic.conf" <<'CONF'
GenericExecuteSynth "printf %s \'$DATA\' | espeak-ng -v en-us -s $RATE -a $VOLUME --stdout | paplay"
GenericCmdDependency "espeak-ng"
GenericRateAdd 175
GenericRateMultiply 50
GenericVolumeAdd 100
GenericVolumeMultiply 50
AddVoice "en" "MALE1" "en-us"
CONF
generic=""
if command -v espeak-ng >/dev/null 2>&1; then
    generic='AddModule "espeak-ng-generic" "sd_generic" "espeak-ng-generic.conf"'
fi
socket="$home/speechd.sock"
cat >"$home/config/speechd.conf" <<CONF
SocketPath "$socket"
LogLevel 3
LogDir "$home/log"
AudioOutputMethod "pulse"
AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"
$generic
DefaultModule espeak-ng
DefaultVolume 100
CONF

# A null sink of its own, so that what the server says can be recorded apart from other sound.
sink="orasent_speechd_$$"
module=$(pactl load-module module-null-sink sink_name="$sink" \
    sink_properties=device.description=Speech_Dispatcher_Output 2>/dev/null) || module=""
if [ -n "$module" ]; then
    export ORASENT_SPEECHD_MONITOR="$sink.monitor"
    server_sink="$sink"
else
    server_sink="${PULSE_SINK:-}"
fi

# What a client runs to autospawn the server: the same private server, as a daemon.
cat >"$home/spawn" <<SPAWN
#!/bin/sh
PULSE_SINK="$server_sink" exec speech-dispatcher "\$@" -t 0 -C "$home/config" -L "$home/log" -P "$home/speechd.pid"
SPAWN
chmod 700 "$home/spawn"

PULSE_SINK="$server_sink" speech-dispatcher -s -t 0 -C "$home/config" -S "$socket" -P "$home/speechd.pid" \
    -L "$home/log" >"$home/log/stdout" 2>&1 &
server=$!

tries=0
while [ ! -S "$socket" ] && kill -0 "$server" 2>/dev/null && [ "$tries" -lt 100 ]; do
    tries=$((tries + 1))
    sleep 0.1
done
if [ ! -S "$socket" ]; then
    echo "with-speech-dispatcher: the server did not start; see $home/log" >&2
fi

export SPEECHD_ADDRESS="unix_socket:$socket"
export SPEECHD_CMD="$home/spawn"
export ORASENT_SPEECHD_PIDFILE="$home/speechd.pid"
"$@"
status=$?

# A server that a client spawned (the first one may have been killed and replaced).
if [ -f "$home/speechd.pid" ]; then
    spawned=$(cat "$home/speechd.pid" 2>/dev/null)
    if [ -n "$spawned" ] && [ "$spawned" != "$server" ]; then
        kill "$spawned" 2>/dev/null
    fi
fi
kill "$server" 2>/dev/null
tries=0
while kill -0 "$server" 2>/dev/null && [ "$tries" -lt 50 ]; do
    tries=$((tries + 1))
    sleep 0.1
done
kill -9 "$server" 2>/dev/null
wait "$server" 2>/dev/null
if [ -n "$module" ]; then
    pactl unload-module "$module" 2>/dev/null
fi
rm -rf "$home"
exit "$status"
