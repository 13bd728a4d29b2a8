#!/usr/bin/env bash
# Every tracked C++ file is formatted as .clang-format says (clang-format 14, Debian's
# clang-format-14), checked folder by folder. Prints PASS/FAIL lines; a failure lists the files
# and the first places that differ. To format a file: clang-format-14 -i FILE.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root" || exit 1
source tests/tools/checks.sh

formatter=${CLANG_FORMAT:-clang-format-14}
if ! command -v "$formatter" >/dev/null; then
  echo "FAIL $formatter is not installed (scripts/setup installs it)"
  exit 1
fi

formatted() {
  local folder=$1 files
  mapfile -t files < <(git ls-files -- "$folder" | grep -E '\.(cpp|h)$')
  ((${#files[@]} > 0)) || return 0
  "$formatter" --dry-run --Werror "${files[@]}" >"$log" 2>&1 && return 0
  grep -E '^[^ ].*: error:' "$log" | cut -d: -f1 | sort -u | sed 's/^/  not formatted: /'
  grep -E ': error:' "$log" | head -n 5 | sed 's/^/  /'
  return 1
}

log=$(mktemp)
trap 'rm -f "$log"' EXIT
for folder in $(git ls-files | grep -E '\.(cpp|h)$' | cut -d/ -f1 | sort -u); do
  check "clang-format: $folder/" formatted "$folder"
done
((failures == 0))
