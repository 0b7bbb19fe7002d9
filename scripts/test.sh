#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs every test. A PulseAudio server with a
# null sink is started for the tests that speak to a real device, and stopped again afterwards.
set -euo pipefail
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="$source_dir/build-test"
jobs="$(nproc)"

"$source_dir/scripts/install-deps.sh" test

export QT_QPA_PLATFORM=offscreen

if [[ -x "$source_dir/scripts/test-extra.sh" ]]; then
  "$source_dir/scripts/test-extra.sh" "$source_dir"
fi

cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j"$jobs"
cd "$build_dir"
exec "$source_dir/scripts/with-pulseaudio.sh" ctest --output-on-failure -j"$jobs"
