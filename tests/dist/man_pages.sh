# man_pages.sh CLI MAN_DIR: both man pages render without a warning, and
# forgeline-cli's page documents every command and option its help lists,
# and its version.
set -euo pipefail
cli=$1 man_dir=$2
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

help=$("$cli" --help)
page=$(plain forgeline-cli.1)
missing=$(comm -23 <(options <<<"$help") <(options <<<"$page"))
[ -z "$missing" ] || fail "forgeline-cli.1 lacks the options $(echo $missing) of --help"
missing=$(comm -23 <(help_commands <<<"$help") <(page_commands <<<"$page"))
[ -n "$(help_commands <<<"$help")" ] || fail "found no commands in --help"
[ -z "$missing" ] || fail "forgeline-cli.1 lacks the commands $(echo $missing) of --help"
version=$("$cli" --version | awk '{ print $2 }')
grep -q "^\.TH FORGELINE-CLI 1 \"\" \"Forgeline $version\"" <<<"$page" || fail "forgeline-cli.1 is not of version $version"
grep -q "^\.TH FORGELINE 1 \"\" \"Forgeline $version\"" <(plain forgeline.1) || fail "forgeline.1 is not of version $version"
exit $status
