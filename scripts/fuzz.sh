#!/usr/bin/env bash
# Builds the fuzz targets with clang-14 (AddressSanitizer, UndefinedBehaviorSanitizer, libFuzzer)
# and runs each for a fixed, seeded number of executions from its seed corpus. Any crash fails.
set -euo pipefail
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="$source_dir/build-fuzz"
runs="${ORASENT_FUZZ_RUNS:-10000}"

CC=clang-14 CXX=clang++-14 cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORASENT_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build_dir" --target fuzz_all -j"$(nproc)"

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
status=0
for corpus in "$source_dir"/fuzz/corpus/*/; do
  name="$(basename "$corpus")"
  target="$build_dir/fuzz/fuzz_$name"
  work="$(mktemp -d)"
  cp "$corpus"/* "$work/"
  start=$(date +%s%N)
  if "$target" -seed=1 -runs="$runs" -max_len=4096 -timeout=10 -rss_limit_mb=4096 "$work" >"$work.log" 2>&1; then
    end=$(date +%s%N)
    printf 'fuzz %-16s %d executions, 0 crashes, %d ms\n' "$name" "$runs" "$(((end - start) / 1000000))"
  else
    echo "fuzz $name FAILED:"
    tail -40 "$work.log"
    status=1
  fi
  rm -rf "$work" "$work.log"
done
exit $status
