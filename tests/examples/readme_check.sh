#!/usr/bin/env bash
# The README's check example is reproducible: its key file, run through
# forgeline-cli check, prints exactly the transcript the README shows.
# Usage: readme_check.sh FORGELINE_CLI README SCRATCH_DIR
set -euo pipefail
cli=$1 readme=$2 scratch=$3

# The two code blocks that follow the example's opening sentence.
block() {
  awk -v want="$1" '/^An example: `KeyFiles\/MCU_OOPS.txt`/ { on = 1 }
    on && /^```/ { n++; next }
    on && n == 2 * want - 1 { print }
    n >= 4 { exit }' "$readme"
}

rm -rf "$scratch" && mkdir -p "$scratch/oops/KeyFiles"
for template in burner.bbl C_Layout.hwl Default.mem Start08.c HCS08-OOPS.mcp; do
  echo x > "$scratch/oops/KeyFiles/$template"
done
block 1 > "$scratch/oops/KeyFiles/MCU_OOPS.txt"
block 2 | tail -n +2 > "$scratch/expected"
[ -s "$scratch/oops/KeyFiles/MCU_OOPS.txt" ] || { echo "README example not found"; exit 1; }

cd "$scratch"
{ "$cli" -C oops check && echo "exit 0" || echo "exit $?"; } > actual
diff -u expected actual
