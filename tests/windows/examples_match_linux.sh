#!/usr/bin/env bash
# The Windows build under Wine makes, byte for byte, the projects the Linux
# build makes from the examples: every MCU with all its enabled modules
# ticked, S08-NOVA16 with LED as "Blinky", and a name outside ASCII.
# Usage: examples_match_linux.sh WINDOWS_CLI.exe LINUX_CLI EXAMPLES SCRATCH
# (Wine's prefix and settings come from the environment.)
set -euo pipefail
windows_cli=$1 linux_cli=$2 examples=$3 scratch=$4
wine=$(command -v wine || command -v wine64)

rm -rf "$scratch" && mkdir -p "$scratch"
cp -r "$examples" "$scratch/linux" && cp -r "$examples" "$scratch/windows"

builds=()
count=$(cd "$scratch/linux" && "$linux_cli" list | wc -l)
for ((i = 0; i < count; i++)); do
  builds+=("build #$i --name Plain-$i")
  for box in $(cd "$scratch/linux" && "$linux_cli" show "#$i" | awk -F'\t' '$4 == "enabled" { print $1 }'); do
    builds+=("build #$i --click #$box --name Box-$i-$box")
  done
done
builds+=("build S08-NOVA16 --click LED --name Blinky" "build S08-NOVA16 --click LED --name Grüße-温")

for build in "${builds[@]}"; do
  read -ra words <<<"$build"
  (cd "$scratch/linux" && "$linux_cli" "${words[@]}" --date 2026-12-05 || echo "exit $?") >"$scratch/linux.out" 2>&1
  (cd "$scratch/windows" && "$wine" "$windows_cli" "${words[@]}" --date 2026-12-05 || echo "exit $?") \
    >"$scratch/windows.out" 2>&1
  cmp "$scratch/linux.out" "$scratch/windows.out" || { echo "FAIL: $build printed differently" >&2; exit 1; }
done
diff -r "$scratch/linux" "$scratch/windows"
made=$(($(find "$scratch/windows" -type f | wc -l) - $(find "$examples" -type f | wc -l)))
echo "${#builds[@]} builds, $made files: identical"
