# package.sh BUILD_DIR SCRATCH CLI HAS_WINDOW LICENSE: makes the Debian
# package of the build as scripts/package does, unpacks it, checks that it
# holds every file, that appstreamcli takes its AppStream file and that its
# copyright file grants the repository's licence, and runs the unpacked
# forgeline-cli on a copy of the unpacked examples.
set -euo pipefail
build=$1 scratch=$2 built_cli=$3 has_window=$4 license=$5
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

rm -rf "$scratch"
mkdir -p "$scratch"
cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >/dev/null
debs=("$scratch"/out/*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "FAIL: expected one .deb, found ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}
lintian --fail-on error "$deb" 2>/dev/null || fail "lintian reports errors"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
source "$(dirname "$0")/installed-files.sh"
expected=("${user_files[@]}" "${debian_files[@]}" share/forgeline/examples/KeyFiles/MCU_NOVA16.txt
          share/forgeline/examples/include/nova16.h)
[ "$has_window" = 1 ] && expected+=("${window_files[@]}")
for path in "${expected[@]}"; do [ -f "$root/usr/$path" ] || fail "the package lacks /usr/$path"; done

# What a software centre reads of the window: validate-tree validates the
# AppStream file as `appstreamcli validate` does and also finds the desktop
# entry its id names.
if [ "$has_window" = 1 ]; then
  appstreamcli validate-tree --no-net "$root" >"$scratch/appstream" ||
    fail "appstreamcli validate-tree: $(cat "$scratch/appstream")"
fi

# The licence text of debian/copyright, its "." lines blank again, is the
# repository's LICENSE from its permission paragraph on.
awk 'seen == 2 { print } /^License: Expat$/ { seen++ }' "$root/usr/share/doc/forgeline/copyright" |
  sed 's/^ //; s/^\.$//' >"$scratch/copyright-licence"
sed -n '/^Permission/,$p' "$license" | cmp -s - "$scratch/copyright-licence" ||
  fail "debian/copyright does not carry the text of LICENSE"

# Installed examples are read-only; a project is built beside KeyFiles, so
# the user works on a copy, as the README says.
cli=$root/usr/bin/forgeline-cli
cp -r "$root/usr/share/forgeline/examples" "$scratch/work"
[ "$("$cli" -C "$scratch/work" list | cut -f2 | tr '\n' ' ')" = "RS08-WREN2 S08-NOVA16 S08-ORION32 " ] ||
  fail "list on the unpacked examples"
[ "$("$cli" -C "$scratch/work" check)" = "0 errors, 0 warnings in 3 files" ] || fail "check on the unpacked examples"
args=(build S08-NOVA16 --click LED --name Blinky --date 2026-12-05)
"$cli" -C "$scratch/work" "${args[@]}" 2>/dev/null || fail "build with the unpacked program"
# The same project from the program of this build, for comparison.
mkdir -p "$scratch/reference"
cp -r "$root/usr/share/forgeline/examples/KeyFiles" "$scratch/reference/"
"$built_cli" -C "$scratch/reference" "${args[@]}" 2>/dev/null
diff -r "$scratch/work/Blinky" "$scratch/reference/Blinky" >/dev/null || fail "the unpacked program built another project"
[ -s "$scratch/work/Blinky/Sources/main.c" ] || fail "no main.c built"
exit $status
