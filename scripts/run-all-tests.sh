#!/usr/bin/env bash
# The test stages; called by test.sh once the packages are there and a sound server runs.
# Every stage runs even when an earlier one failed; the normal suite runs last so that its CTest
# summary closes the output.
set -uo pipefail
# A test that fails is run once more: Qt 6.4's PulseAudio backend now and then aborts in its own
# teardown at process exit ("io_events_please_scan") after every case passed. Every test that
# passed only on its second run is listed at the end with its first failure, and one whose first
# failure was anything else fails the run (retry-report.py).
repeat=(--repeat until-pass:2)
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="$(nproc)"
status=0

stage() { printf '\n=== %s (%s)\n' "$1" "$(date +%H:%M:%S)"; }

stage "Source format"
"$source_dir/scripts/check-format.sh" || status=1

stage "Fuzz targets"
"$source_dir/scripts/fuzz.sh" || status=1

stage "Sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer)"
asan_dir="$source_dir/build-asan"
if cmake -S "$source_dir" -B "$asan_dir" -DCMAKE_BUILD_TYPE=Debug -DORASENT_SANITIZE=ON \
     -DORASENT_WERROR=ON >/dev/null &&
   cmake --build "$asan_dir" -j"$jobs" >"$asan_dir.log" 2>&1; then
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS="suppressions=$source_dir/tests/lsan.supp"
  # The private speech-dispatcher's end-to-end run is left to the normal build: its server
  # round trips outlast their waits under the sanitizers.
  if (cd "$asan_dir" && ctest -j"$jobs" -LE speechd "${repeat[@]}" --output-on-failure --no-label-summary >"$asan_dir.ctest.log" 2>&1) &&
     python3 "$source_dir/scripts/retry-report.py" "$asan_dir.ctest.log"; then
    tail -n 3 "$asan_dir.ctest.log"
  else
    tail -n 120 "$asan_dir.ctest.log"
    status=1
  fi
  unset UBSAN_OPTIONS LSAN_OPTIONS
else
  tail -n 40 "$asan_dir.log"
  status=1
fi

stage "Build and test"
build_dir="$source_dir/build-test"
cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORASENT_WERROR=ON >/dev/null ||
  exit 1
if ! cmake --build "$build_dir" -j"$jobs" >"$build_dir.log" 2>&1; then
  tail -n 60 "$build_dir.log"
  exit 1
fi
cd "$build_dir"
ctest -j"$jobs" "${repeat[@]}" --output-on-failure 2>&1 | tee "$build_dir.ctest.log"
ctest_status=${PIPESTATUS[0]}
retries="$(python3 "$source_dir/scripts/retry-report.py" "$build_dir.ctest.log")" || ctest_status=1
if [[ -n "$retries" ]]; then
  printf '%s\n\n' "$retries"
  # CTest's summary closes the output again.
  grep -E '^[0-9]+% tests passed' "$build_dir.ctest.log" | tail -n 1
fi
if ((status != 0)); then
  echo "An earlier stage failed (source format, fuzz targets or sanitizer suite); see above."
  exit 1
fi
exit $ctest_status
