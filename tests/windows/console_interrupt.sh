#!/usr/bin/env bash
# Ctrl-C while the Windows build copies a large template leaves no .part
# behind: Wine turns SIGINT into the console's Ctrl-C event, and the
# program's console handler removes the temporary before Windows ends it.
# Usage: console_interrupt.sh WINDOWS_CLI.exe EXAMPLES SCRATCH
# (Wine's prefix and settings come from the environment.)
set -euo pipefail
set -m  # a job of its own: a background job of a script would ignore SIGINT
windows_cli=$1 examples=$2 scratch=$3
wine=$(command -v wine || command -v wine64)

rm -rf "$scratch" && mkdir -p "$scratch/main"
trap 'rm -rf "$scratch"' EXIT
cp -r "$examples/KeyFiles" "$scratch/main/"
truncate -s 300M "$scratch/main/KeyFiles/S08-NOVA16.mcp"

for attempt in 1 2 3; do
  "$wine" "$windows_cli" -C "$scratch/main" build S08-NOVA16 --name Stopped >"$scratch/out" 2>&1 &
  launcher=$!
  # Until the copy of the template has begun, or the build is over.
  for _ in $(seq 1000); do
    [ -e "$scratch/main/Stopped/.Stopped.mcp.part" ] || ! kill -0 "$launcher" 2>/dev/null && break
    sleep 0.01
  done
  seen=$([ -e "$scratch/main/Stopped/.Stopped.mcp.part" ] && echo yes || echo no)
  pkill -INT -f -- "-C $scratch/main build" || true
  # Wine's own end of a process on Ctrl-C exits 0, so the status tells nothing.
  wait "$launcher" || true
  if [ "$seen" = yes ]; then
    left=$(find "$scratch/main" -name '*.part')
    [ -z "$left" ] || { cat "$scratch/out" >&2; echo "FAIL: Ctrl-C left $left" >&2; exit 1; }
    echo "Ctrl-C during the copy: no temporary left (attempt $attempt)"
    exit 0
  fi
  rm -rf "$scratch/main/Stopped"  # the build ended before the copy was seen
done
echo "FAIL: never saw the copy under way" >&2
exit 1
