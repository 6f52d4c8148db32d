#!/usr/bin/env bash
# Proves the example KeyFiles with a real compiler: for every example MCU it
# builds projects with forgeline-cli (no module ticked, each module ticked on
# its own, several modules ticked) and compiles each generated main.c, and the
# start-up file copied beside it, with SDCC for the S08 core.
#
# SDCC has no RS08 port, so RS08 projects are compiled for the S08 core as
# well: that still checks their C, only not the instruction set.
#
# The modules ticked together are those that no other module's uses text
# names: they can always be ticked, since the uses rule never forces them, and
# they force every other module on, so every line of every module reaches the
# compiler in that one build.
#
# Usage: compile_examples.sh FORGELINE_CLI EXAMPLES_DIR SCRATCH_DIR
set -uo pipefail

if [ $# -ne 3 ]; then
  echo "usage: $0 FORGELINE_CLI EXAMPLES_DIR SCRATCH_DIR" >&2
  exit 2
fi
cli=$1
examples=$2
scratch=$3

if ! command -v sdcc >/dev/null 2>&1; then
  echo "FAIL: sdcc was not found. Install Debian's sdcc package (scripts/test does)." >&2
  exit 1
fi

rm -rf "$scratch"
mkdir -p "$scratch"

passed=0
failed=0

fail() {
  echo "FAIL: $*"
  failed=$((failed + 1))
}

# The value of the first KEY= line: the line without the key and its line end.
first_value() {
  local key=$1 file=$2 line
  line=$(grep -m1 "^$key=" "$file") || return 1
  line=${line%$'\r'}
  printf '%s' "${line#"$key="}"
}

# compile SOURCE PROJECT_DIR LABEL: one SDCC run, warnings counted as errors.
compile() {
  local source=$1 project=$2 label=$3 log
  mkdir -p "$project/obj"
  if log=$(sdcc -ms08 -c --Werror -I "$project/Sources" -I "$examples/include" \
             "$source" -o "$project/obj/" 2>&1); then
    passed=$((passed + 1))
  else
    fail "$label: sdcc rejected $(basename "$source")"
    printf '%s\n' "$log" | sed 's/^/    /'
  fi
}

# build_and_compile WORK MENU NAME [MODULE...]
build_and_compile() {
  local work=$1 menu=$2 name=$3
  shift 3
  local args=() module log start label="$menu [${*:-no module}]"
  for module in "$@"; do args+=(--click "$module"); done
  if ! log=$("$cli" -C "$work" build "$menu" --name "$name" "${args[@]}" --date 2026-12-05 2>&1)
  then
    fail "$label: forgeline-cli build failed"
    printf '%s\n' "$log" | sed 's/^/    /'
    return
  fi
  if [ ! -f "$work/$name/Sources/main.c" ]; then
    fail "$label: the build wrote no Sources/main.c"
    printf '%s\n' "$log" | sed 's/^/    /'
    return
  fi
  compile "$work/$name/Sources/main.c" "$work/$name" "$label"
  for start in "$work/$name/Sources/Start08.c" "$work/$name/Sources/StartRS08.c"; do
    if [ -f "$start" ]; then compile "$start" "$work/$name" "$label"; fi
  done
}

shopt -s nullglob
keyfiles=("$examples"/KeyFiles/MCU_*.txt)
if [ ${#keyfiles[@]} -eq 0 ]; then
  echo "FAIL: no MCU_*.txt in $examples/KeyFiles" >&2
  exit 1
fi

for keyfile in "${keyfiles[@]}"; do
  title=$(basename "$keyfile" .txt)
  if ! menu=$(first_value MenuName "$keyfile"); then
    fail "$title: no MenuName= line"
    continue
  fi
  work="$scratch/$title"
  mkdir -p "$work"
  cp -r "$examples/KeyFiles" "$work/"

  mapfile -t modules < <(sed -n 's/^MODULE:\([A-Z_/]*\).*/\1/p' "$keyfile")
  # A uses text is what follows the line's first "uses" and one more character.
  uses=()
  while IFS= read -r line; do
    line=${line%$'\r'}
    case $line in
      *uses*) rest=${line#*uses}; uses+=("${rest:1}") ;;
    esac
  done < <(grep '^MODULE:' "$keyfile")

  build_and_compile "$work" "$menu" none

  tickable=()
  together=()
  for module in "${modules[@]}"; do
    [ "$module" = INIT ] && continue
    tickable+=("$module")
    named=no
    for text in "${uses[@]}"; do
      case $text in *"$module"*) named=yes ;; esac
    done
    [ $named = no ] && together+=("$module")
  done

  for module in "${tickable[@]}"; do
    build_and_compile "$work" "$menu" "only_${module//\//_}" "$module"
  done
  if [ ${#together[@]} -ge 2 ]; then
    build_and_compile "$work" "$menu" several "${together[@]}"
    build_and_compile "$work" "$menu" first_two "${together[@]:0:2}"
  else
    fail "$menu: fewer than two modules can be ticked together"
  fi
done

# A project the user has worked on, then updated with a second module: the
# merged main.c, with the user's own lines and the two-module body, compiles.
work="$scratch/updated"
mkdir -p "$work" && cp -r "$examples/KeyFiles" "$work/"
if "$cli" -C "$work" build S08-NOVA16 --click LED --name Blinky --date 2026-12-05 >/dev/null 2>&1; then
  sed -i -e '/^volatile unsigned int tpmMilliseconds;/i static unsigned char toggles;' \
         -e '/^  PTBD ^= LED_MASK;/a \  toggles++;' "$work/Blinky/Sources/main.c"
  if log=$("$cli" -C "$work" update Blinky --click ADC 2>&1); then
    grep -q 'toggles++' "$work/Blinky/Sources/main.c" || fail "update: the user's line is gone"
    compile "$work/Blinky/Sources/main.c" "$work/Blinky" "S08-NOVA16 [LED, user lines, update --click ADC]"
  else
    fail "update --click ADC failed"
    printf '%s\n' "$log" | sed 's/^/    /'
  fi
else
  fail "the build before the update failed"
fi

echo "examples_compile: $passed passed, $failed failed"
[ $failed -eq 0 ]
