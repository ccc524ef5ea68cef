#!/usr/bin/env bash
# Checks that every C++ file git tracks is formatted as .clang-format says; changes nothing.
# Lists the files that differ and fails if there are any. `clang-format -i FILE` fixes one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" clang-format
cd "$root"
unformatted=()
while IFS= read -r -d '' file; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done < <(git ls-files -z -- '*.cpp' '*.h')
if [ ${#unformatted[@]} -ne 0 ]; then
    printf 'check-format: not formatted as .clang-format says: %s\n' "${unformatted[@]}" >&2
    exit 1
fi
