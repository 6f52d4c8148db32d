# package.sh BUILD_DIR SCRATCH CLI HAS_WINDOW LICENSE: makes the Debian
# package of the build as scripts/package does, unpacks it, checks that its
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
expected=(usr/bin/forgeline-cli usr/share/man/man1/forgeline.1.gz usr/share/man/man1/forgeline-cli.1.gz
          usr/share/bash-completion/completions/forgeline-cli usr/share/zsh/vendor-completions/_forgeline-cli
          usr/share/forgeline/examples/KeyFiles/MCU_NOVA16.txt usr/share/forgeline/examples/include/nova16.h
          usr/share/doc/forgeline/copyright)
[ "$has_window" = 1 ] && expected+=(usr/bin/forgeline usr/share/applications/forgeline.desktop
  usr/share/icons/hicolor/scalable/apps/forgeline.svg usr/share/icons/hicolor/64x64/apps/forgeline.png)
for path in "${expected[@]}"; do [ -f "$root/$path" ] || fail "the package lacks /$path"; done

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
