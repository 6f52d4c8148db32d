#!/usr/bin/env bash
# Fails unless the window's icon holds one square image for each size
# Windows asks for, from the 16-pixel title bar to the 256-pixel Explorer
# view, and no other.
# Usage: icon_sizes.sh forgeline.ico
set -euo pipefail
listing=$(icotool -l "$1")
echo "$listing"
sizes=$(sed -n 's/.*--width=\([0-9]*\) --height=\([0-9]*\).*/\1x\2/p' <<<"$listing" | sort -n | tr '\n' ' ')
want="16x16 20x20 24x24 32x32 40x40 48x48 64x64 256x256 "
if [[ $sizes != "$want" ]]; then
  echo "FAIL: $1 holds $sizes; wanted $want" >&2
  exit 1
fi
