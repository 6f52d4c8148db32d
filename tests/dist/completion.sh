# completion.sh CLI SOURCE_DIR: the completion scripts are valid shell, the
# bash and fish ones complete commands, options, MCU and module captions of
# the examples through forgeline-cli, and in bash, zsh and fish hostile
# captions are offered as the literal text they are, with nothing in them run.
set -euo pipefail
cli=$1 root=$2
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

bash -n "$root/dist/completion/forgeline-cli.bash" || fail "bash -n"
zsh -n "$root/dist/completion/_forgeline-cli" || fail "zsh -n"
fish -n "$root/dist/completion/forgeline-cli.fish" || fail "fish -n"

# Every option and command of the help is offered by both scripts.
help=$("$cli" --help)
for command in list show build check update; do help+=$'\n'$("$cli" help "$command"); done
words=$(grep -oE -- '(^|[ ,])--?[[:alpha:]][[:alnum:]-]*' <<<"$help" | grep -oE -- '--?[[:alpha:]][[:alnum:]-]*' | sort -u)
for script in forgeline-cli.bash _forgeline-cli forgeline-cli.fish; do
  for word in $words list show build check update help; do
    # fish names an option without its dashes, after -l or -s.
    written=$word
    [[ $script == *.fish && $word == --* ]] && written="-l ${word#--}"
    [[ $script == *.fish && $word == -[[:alpha:]] ]] && written="-s ${word#-}"
    grep -qF -- "$written" "$root/dist/completion/$script" || fail "$script does not offer $word"
  done
done

# The completion runs the program named on the line it completes.
PATH="$(dirname "$cli"):$PATH"
source "$root/dist/completion/forgeline-cli.bash"
# complete_line LINE: completes LINE with the cursor at its end.
complete_line() {
  COMP_LINE=$1
  COMP_POINT=$(LC_ALL=C; echo "${#1}")
  COMPREPLY=()
  _forgeline_cli
}
examples=$root/examples
cases=$(cat <<EOF_CASES
forgeline-cli |list show build check update help
forgeline-cli -C $examples show S08-N|S08-NOVA16
forgeline-cli -C $examples build |RS08-WREN2 S08-NOVA16 S08-ORION32
forgeline-cli -C$examples show S08-NOVA16 --click |LED TPM ICS ADC SCI
forgeline-cli -C $examples build '#1' --click L|LED
forgeline-cli -C $examples show 'S08-NOVA16' --click=A|ADC
forgeline-cli -C $examples build S08-NOVA16 --dr|--dry-run
forgeline-cli check --format=s|sarif
forgeline-cli check --q|--quiet
forgeline-cli -C $examples build S08-NOVA16 --qu|--quiet
forgeline-cli list --format=|text json
forgeline-cli -C $examples show --format json S08-N|S08-NOVA16
forgeline-cli -C $examples show S08-NOVA16 --format |text json
forgeline-cli -C $examples show S08-NOVA16 --f|--format
forgeline-cli --v|--version
forgeline-cli help c|check
forgeline-cli update --u|--unclick
forgeline-cli -C /nonexistent show S|
EOF_CASES
)
while IFS='|' read -r line expected; do
  complete_line "$line"
  [ "${COMPREPLY[*]}" = "$expected" ] || fail "'$line': got '${COMPREPLY[*]}', expected '$expected'"
done <<<"$cases"

# fish_complete LINE...: for each LINE, what fish offers with the cursor at
# its end, one line of words, without their descriptions and without the
# "--opt=" that fish keeps in front of a value.
fish_complete() {
  fish --no-config -c "source '$root/dist/completion/forgeline-cli.fish'"'
    for line in $argv
      set -l offered (complete -C $line | string replace -r -- "\t.*" "" | string replace -r -- "^--[a-z-]+=" "")
      echo "$offered"
    end' "$@"
}
# fish sorts what it offers unless told to keep the order, as it is for
# MCUs and boxes (held by the hostile captions below): compared as sets.
sorted() { tr ' ' '\n' <<<"$1" | sort | tr '\n' ' '; }
mapfile -t lines < <(cut -d'|' -f1 <<<"$cases")
mapfile -t expected < <(cut -d'|' -f2 <<<"$cases")
mapfile -t offered < <(fish_complete "${lines[@]}")
for i in "${!lines[@]}"; do
  [ "$(sorted "${offered[i]-}")" = "$(sorted "${expected[i]}")" ] ||
    fail "fish: '${lines[i]}': got '${offered[i]-}', expected '${expected[i]}'"
done

# Hostile captions, each behind its own first letter, in a folder whose own
# name would run a command. Module captions hold name characters only.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
keys='K $(touch M0)/KeyFiles'
mkdir -p "$keys"
captions=('A$(touch M1)' 'B`touch M2`' 'C${HOME}' 'D*' "E'q\"d" 'F S08 NOVA' $'G\rr' $'H\tt' 'I!x' 'J:k=l')
for caption in "${captions[@]}"; do
  { echo "MenuName=$caption" && grep -v '^MenuName=' "$examples/KeyFiles/MCU_NOVA16.txt"; } >"$keys/MCU_${caption:0:1}.txt"
done

# Every offered word reads back as its caption, typed bare or after a quote.
printf -v folder %q "${keys%/*}"
complete_line "forgeline-cli -C $folder show "
eval "offered=(${COMPREPLY[*]})"
[ "$(printf '%s|' "${offered[@]}")" = "$(printf '%s|' "${captions[@]}")" ] ||
  fail "offered $(printf '%q ' "${offered[@]}")"
for caption in "${captions[@]}"; do
  for quote in "" "'" '"'; do
    complete_line "forgeline-cli -C $folder show $quote${caption:0:1}"
    closing=$quote
    [[ ${COMPREPLY[0]-} == *"$quote" ]] && closing=""
    eval "word=$quote${COMPREPLY[0]-}$closing"
    [[ ${#COMPREPLY[@]} == 1 && $word == "$caption" ]] || fail "$quote${caption:0:1} gives ${COMPREPLY[*]}"
  done
done

# A start holding a pattern character is text: it matches only the captions
# that begin with it as typed.
while IFS='|' read -r start count; do
  complete_line "forgeline-cli -C $folder show $start"
  [[ ${#COMPREPLY[@]} == "$count" ]] || fail "$start gives ${COMPREPLY[*]}"
done <<'EOF_STARTS'
'D*'|1
\*|0
'?'|0
'[A-J]'|0
"C\${"|1
EOF_STARTS

# fish offers each caption as exactly itself, in button order.
mapfile -t offered < <(fish --no-config -c "source '$root/dist/completion/forgeline-cli.fish'
  complete -C \$argv[1] | string replace -r -- '\t[^\t]*\$' ''" "forgeline-cli -C $folder show ")
wanted=("${captions[@]}")
wanted[7]='#7'
[ "$(printf '%s|' "${offered[@]}")" = "$(printf '%s|' "${wanted[@]}")" ] ||
  fail "fish offered $(printf '%q ' "${offered[@]}")"

# In a real interactive shell: Tab completes the folder, each MCU typed by a
# start (bare, escaped or quoted) and its module; a file for check. fish
# offers the caption with a tab by its number, typed escaped since a bare #
# starts a comment there.
for shell in "bash --norc --noprofile -i" "zsh -f -i" "fish --no-config --private -i"; do
  starts=(A B C D '"E' "'F S08 N" 'F\ S08\ N' G H '"I' J:k)
  case $shell in
    bash*) setup="source '$root/dist/completion/forgeline-cli.bash'" ;;
    zsh*) setup="fpath=('$root/dist/completion' \$fpath); autoload -U compinit; compinit -u -D" ;;
    fish*) setup="source '$root/dist/completion/forgeline-cli.fish'" starts[8]='\#7' ;;
  esac
  typed=
  for start in "${starts[@]}"; do typed+=$'forgeline-cli -C K\t show '"$start"$'\t--click L\t\n'; done
  typed+=$'forgeline-cli check K\tK\tMCU_A\t\nexit 0\n'
  out=$(printf '%s\n%s' "$setup" "$typed" | HISTFILE= INPUTRC=/dev/null TERM=dumb \
    XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" timeout 20 script -qec "$shell" /dev/null |
    tr -d '\r')
  chosen=$(sed -n 's/^MCU (MCU_\(.\)\.txt.*/\1/p' <<<"$out" | tr -d '\n')
  clicked=$(grep -c $'^1\tLED\tx\tenabled$' <<<"$out" || true)
  [[ $chosen == ABCDEFFGHIJ && $clicked == 11 ]] || fail "$shell chose '$chosen', clicked $clicked times"
  grep -qF "$keys/MCU_A.txt:" <<<"$out" || fail "$shell did not complete check's file"
done
for marker in M0 M1 M2; do [ ! -e "$marker" ] || fail "a caption ran: $marker exists"; done
exit $status
