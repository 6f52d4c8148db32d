#!/usr/bin/env bash
# The README's commands work as written. Its check example: its key file, run
# through forgeline-cli check, prints exactly the transcript the README shows;
# so does its example session, run in a copy of examples/; and the headless
# session and the sdcc step run as typed from the top of a copy of the
# repository, leaving nothing outside the project folder.
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
status=0
{ "$cli" -C oops check && echo "exit 0" || echo "exit $?"; } > actual
diff -u expected actual || status=1
root=$(dirname "$readme")
examples=$root/examples

# The "$ COMMAND" lines of the example session and what each prints, run one
# by one in a copy of examples/ with forgeline-cli on the path. A folder
# without write permission stops no one working as root, so there that
# command is left out.
awk '/^An example session on a copy of `examples\/`/ { on = 1 } on && /^```/ { n++; next } on && n == 1 { print }
  n >= 2 { exit }' "$readme" | sed 's/<TAB>/\t/g' >session
[ -s session ] || { echo "README example session not found"; exit 1; }
cp -r "$examples" session-copy
PATH="$(dirname "$cli"):$PATH"
while IFS= read -r line; do
  [[ $line == '$ '* ]] || continue
  [[ $(id -u) == 0 && $line == *"chmod a-w"* ]] && continue
  echo "$line"
  (cd session-copy && bash -c "${line#'$ '}" 2>&1) || true
done <session >session-actual
chmod -R u+w session-copy
# The transcript as the README shows it, without a skipped command.
awk -v root="$(id -u)" '/^\$ / { skip = (root == 0 && /chmod a-w/) } !skip' session >session-expected
diff -u session-expected session-actual || { echo "FAIL: the README's example session" >&2; status=1; }

# code_block LINE_START: the first code block after the line beginning so.
code_block() {
  awk -v start="$1" 'index($0, start) == 1 { on = 1 } on && /^ *```/ { n++; next } on && n == 1 { print }
    n >= 2 { exit }' "$readme"
}
# The headless session, then the sdcc step on the project it built, from the
# top of a copy of the repository whose build holds this forgeline-cli.
mkdir -p repo/build/cli
cp -r "$examples" repo/examples
ln -s "$cli" repo/build/cli/forgeline-cli
before=$(cd repo && find . -path ./examples/Blinky -prune -o -print | sort)
for start in "Without a display the same session runs headless:" '   `Sources/main.c` compiles as it is'; do
  commands=$(code_block "$start")
  [ -n "$commands" ] || { echo "FAIL: no code block after '$start'" >&2; status=1; continue; }
  (cd repo && bash -euo pipefail -c "$commands" >/dev/null 2>&1) || { echo "FAIL: $commands" >&2; status=1; }
done
[ -s repo/examples/Blinky/Sources/main.c ] || { echo "FAIL: the headless session built no Blinky" >&2; status=1; }
after=$(cd repo && find . -path ./examples/Blinky -prune -o -print | sort)
[ "$before" = "$after" ] ||
  { echo "FAIL: the README's commands left $(comm -13 <(echo "$before") <(echo "$after"))" >&2; status=1; }

# scripts/drive-windows-window without the builds it drives says which
# script makes them, and how it is called, instead of failing on a blank.
if message=$("$root/scripts/drive-windows-window" "$scratch/none" 2>&1); then
  echo "FAIL: scripts/drive-windows-window ran without a Windows build" >&2; status=1
fi
[[ $message == *"scripts/test-windows builds it"*"Usage: scripts/drive-windows-window"* ]] ||
  { echo "FAIL: scripts/drive-windows-window said: $message" >&2; status=1; }
exit $status
