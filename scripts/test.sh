#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs every test: the fuzz targets, the
# whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, then the normal build's suite.
# A PulseAudio server with a null sink is started for the tests that play to a real device and
# stopped again afterwards, and so are a private speech-dispatcher on it, a virtual display with the desktop accessibility bus for
# the test that meets the program as a screen reader does.
set -euo pipefail
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$source_dir/scripts/install-deps.sh" test

export QT_QPA_PLATFORM=offscreen
exec "$source_dir/scripts/with-pulseaudio.sh" "$source_dir/scripts/with-speech-dispatcher.sh" \
  "$source_dir/scripts/with-accessibility-bus.sh" "$source_dir/scripts/run-all-tests.sh"
