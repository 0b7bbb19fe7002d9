#!/usr/bin/env bash
# Installs what Orasent needs, builds it and starts it in the working folder ~/Orasent, which is
# created on first use with the three question pools (files already there are never replaced).
set -euo pipefail
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="$source_dir/build"

"$source_dir/scripts/install-deps.sh" run
cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build_dir" --target orasent -j"$(nproc)"

work_dir="${ORASENT_HOME:-$HOME/Orasent}"
mkdir -p "$work_dir"
for pool in "$source_dir"/data/pools/*.txt; do
  cp -n "$pool" "$work_dir/"
done
cd "$work_dir"
exec "$build_dir/src/app/orasent"
