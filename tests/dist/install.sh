# install.sh BUILD SCRATCH HAS_WINDOW: `cmake --install BUILD --prefix DIR`, as
# the README tells a user to run after scripts/run, which builds the programs
# alone into this very build folder. The install must succeed, the installed
# forgeline-cli run, and DIR hold exactly the files a user needs: no file of
# the Debian package's own.
set -euo pipefail
build=$1 scratch=$2 has_window=$3
source "$(dirname "$0")/installed-files.sh"
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

rm -rf "$scratch"
mkdir -p "$scratch"
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
  { cat "$scratch/install.log" >&2; echo "FAIL: cmake --install" >&2; exit 1; }

version=$("$prefix/bin/forgeline-cli" --version) || fail "the installed forgeline-cli --version"
[[ $version == "forgeline-cli "[0-9]* ]] || fail "the installed forgeline-cli says '$version'"
for page in "$prefix"/share/man/man1/*.gz; do gzip -t "$page" || fail "$page is not whole"; done
[ -f "$prefix/share/forgeline/examples/KeyFiles/MCU_NOVA16.txt" ] || fail "no examples installed"

expected=("${user_files[@]}")
[ "$has_window" = 1 ] && expected+=("${window_files[@]}")
installed=$(cd "$prefix" && find . -path ./share/forgeline/examples -prune -o ! -type d -print | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
missing=$(comm -13 <(echo "$installed") <(echo "$wanted"))
[ -z "$missing" ] || fail "the install lacks $(echo $missing)"
extra=$(comm -23 <(echo "$installed") <(echo "$wanted"))
[ -z "$extra" ] || fail "the install holds files a user does not need: $(echo $extra)"
exit $status
