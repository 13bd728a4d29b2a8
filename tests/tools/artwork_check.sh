#!/usr/bin/env bash
# The committed pictures are what the artwork generator draws now. Prints PASS/FAIL lines.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
generator="$root/build/native/tools/artwork/vq-artwork"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/resources" "$work/docs/images"
"$generator" "$work" >/dev/null
for picture in "$work"/resources/*.png; do
  name=$(basename "$picture")
  if cmp -s "$picture" "$root/resources/$name"; then
    echo "PASS resources/$name is up to date"
  else
    echo "FAIL resources/$name differs from what tools/artwork draws (run: $generator $root --figures)"
  fi
done
