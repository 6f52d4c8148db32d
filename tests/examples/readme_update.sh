#!/usr/bin/env bash
# The README's update example is reproducible: its commands, run in order on
# a copy of the examples, print exactly the transcript the README shows.
# Usage: readme_update.sh FORGELINE_CLI README EXAMPLES_DIR SCRATCH_DIR
set -euo pipefail
cli=$1 readme=$2 examples=$3 scratch=$4

# The first code block after the example's opening sentence.
awk '/^A worked example on a copy of `examples\/`/ { on = 1 }
  on && /^```/ { n++; next }
  on && n == 1 { print }
  n >= 2 { exit }' "$readme" > "$scratch.expected"
[ -s "$scratch.expected" ] || { echo "README update example not found"; exit 1; }

rm -rf "$scratch" && mkdir -p "$scratch" && cp -r "$examples/KeyFiles" "$scratch/"
forgeline-cli() { "$cli" "$@"; }
cd "$scratch"
# The transcript's own commands fail on purpose and say so.
set +e
while IFS= read -r line; do
  [[ $line == '$ '* ]] || continue
  printf '%s\n' "$line"
  eval "${line#\$ }" 2>&1
done < "$scratch.expected" > "$scratch.actual"
set -e
diff -u "$scratch.expected" "$scratch.actual"
