#!/usr/bin/env bash
# Installs what Orasent needs, builds it and starts it in the working folder ~/Orasent, which is
# created on first use with the three question pools (files already there are never replaced).
# A file named on its command line is opened.
set -euo pipefail
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="$source_dir/build"

"$source_dir/scripts/install-deps.sh" run
cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build_dir" --target orasent -j"$(nproc)"

# The program itself makes the folder and copies the pools, as it does when the desktop menu
# starts it; a file named here opens in it ("./scripts/run.sh book.epub").
exec "$build_dir/src/app/orasent" --user-folder "$@"
