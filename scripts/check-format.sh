#!/usr/bin/env bash
# Fails when a C++ source differs from what clang-format makes of it under the project's
# .clang-format; lists the files. `scripts/check-format.sh --fix` rewrites them instead.
set -uo pipefail
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$source_dir" || exit 1
formatter="$(command -v clang-format-14 || command -v clang-format || true)"
if [[ -z "$formatter" ]]; then
  echo "check-format: clang-format is not installed" >&2
  exit 1
fi
mapfile -t sources < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' \
  'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h')
if [[ "${1:-}" == "--fix" ]]; then
  "$formatter" -i "${sources[@]}"
  exit 0
fi
unformatted=()
for file in "${sources[@]}"; do
  if ! "$formatter" --dry-run -Werror "$file" >/dev/null 2>&1; then
    unformatted+=("$file")
  fi
done
if ((${#unformatted[@]} > 0)); then
  echo "Not formatted as .clang-format says (run scripts/check-format.sh --fix):"
  printf '  %s\n' "${unformatted[@]}"
  exit 1
fi
echo "format: ${#sources[@]} sources follow .clang-format"
