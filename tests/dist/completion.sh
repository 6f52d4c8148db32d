# completion.sh CLI SOURCE_DIR: both completion scripts are valid shell, and
# the bash one completes commands, options, MCU and module captions of the
# examples through forgeline-cli.
set -euo pipefail
cli=$1 root=$2
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

bash -n "$root/dist/completion/forgeline-cli.bash" || fail "bash -n"
zsh -n "$root/dist/completion/_forgeline-cli" || fail "zsh -n"

# Every option and command of the help is offered by both scripts.
help=$("$cli" --help)
for command in list show build check; do help+=$'\n'$("$cli" help "$command"); done
words=$(grep -oE -- '(^|[ ,])--?[[:alpha:]][[:alnum:]-]*' <<<"$help" | grep -oE -- '--?[[:alpha:]][[:alnum:]-]*' | sort -u)
for script in forgeline-cli.bash _forgeline-cli; do
  for word in $words list show build check help; do
    grep -qF -- "$word" "$root/dist/completion/$script" || fail "$script does not offer $word"
  done
done

# The completion runs the program named on the line it completes.
PATH="$(dirname "$cli"):$PATH"
source "$root/dist/completion/forgeline-cli.bash"
complete_line() {
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _forgeline_cli
  echo "${COMPREPLY[*]}"
}
examples=$root/examples
while IFS='|' read -r line expected; do
  read -r -a words <<<"$line"
  [ "${line: -1}" = " " ] && words+=("")
  got=$(complete_line "${words[@]}")
  [ "$got" = "$expected" ] || fail "'$line': got '$got', expected '$expected'"
done <<EOF_CASES
forgeline-cli |list show build check help
forgeline-cli -C $examples show S08-N|S08-NOVA16
forgeline-cli -C $examples build |RS08-WREN2 S08-NOVA16 S08-ORION32
forgeline-cli -C$examples show S08-NOVA16 --click |LED TPM ICS ADC SCI
forgeline-cli -C $examples build #1 --click L|LED
forgeline-cli -C $examples build S08-NOVA16 --dr|--dry-run
forgeline-cli --v|--version
forgeline-cli help c|check
forgeline-cli -C /nonexistent show S|
EOF_CASES
exit $status
