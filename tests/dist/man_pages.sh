# man_pages.sh CLI MAN_DIR [WINDOW]: both man pages render without a
# warning, and each documents exactly the options its program's help lists
# (forgeline-cli's also its commands), and the program's version.
set -euo pipefail
cli=$1 man_dir=$2 window=${3:-}
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

for page in forgeline.1 forgeline-cli.1; do
  warnings=$(MANWIDTH=80 man --warnings -l "$man_dir/$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page renders with warnings: $warnings"
  MANWIDTH=80 man -l "$man_dir/$page" 2>/dev/null | grep -q "^NAME" || fail "$page renders no NAME section"
done

# The page's text without roff's escapes for "-" and font changes.
plain() { sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$man_dir/$1"; }
# Every -x and --word that stands as an option (not inside a word).
options() { grep -oE '(^|[^[:alnum:]-])--?[[:alpha:]][[:alnum:]-]*' | grep -oE -- '--?[[:alpha:]][[:alnum:]-]*' | sort -u; }
# The first word of each line of a "Commands:" block in the help.
help_commands() { awk '/^[A-Za-z]*[Cc]ommands:$/ { on = 1; next } /^$/ { on = 0 } on { print $1 }' | sort -u; }
# The names under .SH COMMANDS of the page.
page_commands() { awk '/^\.SH/ { on = ($2 == "COMMANDS") } on && /^\.B / { print $2 }' | sort -u; }

# The program's help and each command's.
help=$("$cli" --help)
commands=$(help_commands <<<"$help")
[ -n "$commands" ] || fail "found no commands in --help"
for command in $commands; do help+=$'\n'$("$cli" help "$command"); done
# Shell commands of the examples have options of their own.
page=$(plain forgeline-cli.1 | awk '/^\.SH/ { skip = ($2 == "EXAMPLES") } !skip')
# same_options PAGE HELP PAGE_TEXT
same_options() {
  local missing extra
  missing=$(comm -23 <(options <<<"$2") <(options <<<"$3"))
  [ -z "$missing" ] || fail "$1 lacks the options $(echo $missing) of the help"
  extra=$(comm -13 <(options <<<"$2") <(options <<<"$3"))
  [ -z "$extra" ] || fail "$1 documents the options $(echo $extra) that the help does not know"
}
same_options forgeline-cli.1 "$help" "$page"
[ "$commands" = "$(page_commands <<<"$page")" ] ||
  fail "forgeline-cli.1 lists the commands $(page_commands <<<"$page" | tr '\n' ' ')but --help $(echo $commands)"
# Each command's line of the synopsis names the options of that command's
# help, and the words its --format takes, the default first, are the ones
# the program takes and names when refusing another.
synopsis=$(awk '/^\.SH/ { on = ($2 == "SYNOPSIS"); next } on' <<<"$page" | tr '\n' ' ' | sed 's/\.br /\n/g')
examples=$man_dir/../../examples
for command in $commands; do
  line=$(grep -E "\.B (forgeline-cli )?$command( |\$)" <<<"$synopsis") || fail "no synopsis line for $command"
  # Each option line of the help (its short and long names) once in the
  # synopsis, and nothing else there.
  named=$(options <<<"$line" | grep -vxE -- '-C' || true)
  while read -r names; do
    grep -qxF -f <(options <<<"$names") <<<"$named" || fail "the synopsis of $command lacks $names"
  done < <("$cli" help "$command" | grep -E '^ +-' | grep -vE -- '-h,--help' | awk '{ print $1 }')
  for name in $named; do
    "$cli" help "$command" | options | grep -qxF -- "$name" || fail "the synopsis of $command names $name, its help does not"
  done
  read -r -a words <<<"$(grep -oE -- '--format=[a-z]+ \| [a-z]+' <<<"$line" | tr -d '|' | sed 's/--format=//')"
  [ ${#words[@]} = 0 ] && continue
  mcu=(); [ "$command" = show ] && mcu=("#0")
  for word in "${words[@]}"; do
    "$cli" -C "$examples" "$command" "${mcu[@]}" --format="$word" >/dev/null || fail "$command refuses --format=$word"
  done
  refusal=$("$cli" -C "$examples" "$command" "${mcu[@]}" --format=x 2>&1 >/dev/null || true)
  [[ $refusal == *"expected ${words[0]} or ${words[1]} "* ]] || fail "$command --format=x: $refusal"
done
version=$("$cli" --version | awk '{ print $2 }')
grep -q "^\.TH FORGELINE-CLI 1 \"\" \"Forgeline $version\"" <<<"$page" || fail "forgeline-cli.1 is not of version $version"
grep -q "^\.TH FORGELINE 1 \"\" \"Forgeline $version\"" <(plain forgeline.1) || fail "forgeline.1 is not of version $version"
if [ -n "$window" ]; then
  same_options forgeline.1 "$("$window" --help)" "$(plain forgeline.1)"
  [ "$("$window" --version)" = "forgeline $version" ] || fail "forgeline is not of version $version"
fi
exit $status
