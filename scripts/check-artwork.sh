#!/usr/bin/env bash
# Fails when the committed bitmaps differ from what the artwork generator draws now.
set -euo pipefail
generator="$1" resources="$2"
fresh="$(mktemp -d)"
trap 'rm -rf "$fresh"' EXIT
"$generator" "$fresh"
status=0
for f in background.bmp knob-strip.bmp knob-strip-mask.bmp; do
  if ! cmp -s "$fresh/$f" "$resources/$f"; then
    echo "resources/$f differs from what tools/artwork draws: run scripts/artwork.sh and commit" >&2
    status=1
  fi
done
exit $status
