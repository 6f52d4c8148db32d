#!/usr/bin/env bash
# The Windows packages made as scripts/package-windows makes them, and the
# .msi installed, upgraded and removed under Wine as a user would:
#   - its tables: per-user scope, the Start-menu shortcuts, the Explorer
#     entries, the fixed upgrade code;
#   - the zip, the installed folder and the Debian package's examples hold
#     the same files;
#   - version N, then this version N+1: one product, N+1's files alone;
#     forgeline-cli answers in the Start menu's console without its path;
#   - uninstall leaves no file, key or entry of ours: the prefix's files and
#     registry are listed before and after.
# Usage: msi.sh WINDOWS_BUILD SCRATCH [LINUX_BUILD]
# (Wine's prefix and settings come from the environment.)
set -euo pipefail
build=$1 scratch=$2 linux_build=${3:-}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
wine=$(command -v wine || command -v wine64)
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

rm -rf "$scratch" && mkdir -p "$scratch"
mapfile -t made < <("$source_dir/dist/windows/make-packages" "$build" "$scratch/packages")
stage=${made[0]} zip=${made[1]} msi=${made[2]}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

# --- The tables ------------------------------------------------------------
table() { msiinfo export "$msi" "$1" | tr -d '\r' | tail -n +4; }
# No ALLUSERS: the product is the current user's. Word count 10 = compressed
# (2) + no administrator rights needed (8), so Windows asks for none.
table Property | grep -q '^ALLUSERS' && fail "the .msi sets ALLUSERS: not a per-user install"
msiinfo suminfo "$msi" | grep -qx 'Source: 10 (a)' || fail "the .msi asks for administrator rights"
for property in 'Manufacturer	The Forgeline authors' 'ARPPRODUCTICON	forgeline.ico' "ProductVersion	$version" \
  'UpgradeCode	{5DD5E468-1036-4809-BA2C-10637CE30128}'; do
  table Property | grep -qxF "$property" || fail "no property '$property'"
done
# Any older Forgeline is found and removed (a major upgrade), a newer one stops the install.
table Upgrade | grep -q "^{5DD5E468-1036-4809-BA2C-10637CE30128}		$version		1		WIX_UPGRADE_DETECTED" ||
  fail "no major upgrade of older versions"
table InstallExecuteSequence | grep -q '^RemoveExistingProducts' || fail "older versions are not removed"
shortcuts=$(table Shortcut | cut -f1-6,12)
for row in 'window	ProgramMenuFolder	Forgeline	shortcuts	[INSTALLDIR]forgeline.exe	--choose-folder	PersonalFolder' \
  'console	ProgramMenuFolder	Forgeline command prompt	shortcuts	[System64Folder]cmd.exe	'; do
  grep -qF "$row" <<<"$shortcuts" || fail "no shortcut '$row'"
done
registry=$(table Registry | cut -f2-5)
for row in 'Software\Classes\Directory\shell\Forgeline		Open Forgeline here' \
  'Software\Classes\Directory\shell\Forgeline\command		"[INSTALLDIR]forgeline.exe" "%1"' \
  'Software\Classes\Directory\Background\shell\Forgeline		Open Forgeline here' \
  'Software\Classes\Directory\Background\shell\Forgeline\command		"[INSTALLDIR]forgeline.exe" "%V"'; do
  grep -qxF "1	$row" <<<"$registry" || fail "no HKEY_CURRENT_USER value '$row'"
done
grep -qv '^1	' <<<"$registry" && fail "a registry value outside HKEY_CURRENT_USER"

# --- The same files in every package ------------------------------------------
(cd "$stage" && find . -type f | sort) >"$scratch/stage.list"
unzip -Z1 "$zip" | grep -v '/$' | sed 's|^[^/]*/|./|' | sort >"$scratch/zip.list"
cmp -s "$scratch/stage.list" "$scratch/zip.list" || fail "the zip holds other files than the install rules name"
# The examples, as the Debian package installs them, or else as the install
# rules name them in the source tree.
if [ -n "$linux_build" ]; then
  cmake --install "$linux_build" --prefix "$scratch/deb" --component examples >/dev/null
  deb_examples=$scratch/deb/share/forgeline/examples
else
  deb_examples=$scratch/deb && mkdir -p "$deb_examples"
  cp -r "$source_dir/examples/KeyFiles" "$source_dir/examples/include" "$deb_examples/"
fi
(cd "$deb_examples" && find . -type f | sed 's|^\./|./examples/|' | sort) >"$scratch/deb.list"
grep '^\./examples/' "$scratch/zip.list" | cmp -s - "$scratch/deb.list" ||
  fail "the Windows packages' examples differ from the Debian package's: $(diff "$scratch/deb.list" "$scratch/zip.list" | tr '\n' ' ')"
grep -qxF ./LICENSE.txt "$scratch/zip.list" || fail "no licence in the packages"

# --- Install, upgrade, uninstall ----------------------------------------------
prefix=${WINEPREFIX:?}
# Wine would copy each Start-menu shortcut into this machine's own desktop
# menus, outside the prefix: its menu builder stays off.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winemenubuilder.exe=d"
msiexec() { "$wine" msiexec "$@" /qn; }
# Files and registry of the prefix outside Windows' own folder, and our keys.
snapshot() {
  (cd "$prefix/drive_c" && find users ProgramData -print 2>/dev/null | sort)
  "$wine" reg query 'HKCU\Software' /s 2>/dev/null | tr -d '\r' | grep -i forgeline || true
  "$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' |
    grep -i forgeline || true
}
# A run that stopped half-way may have left this version installed.
msiexec /x "$msi" >/dev/null 2>&1 || true
snapshot >"$scratch/before"
local_app_data=$("$wine" cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')
installed=$prefix/drive_c/${local_app_data#C:\\}
installed=${installed//\\//}/Programs/Forgeline

# Version N: an older version whose files include one this version lacks.
old_stage=$scratch/old/stage
mkdir -p "$scratch/old" && cp -r "$stage" "$old_stage" && echo old >"$old_stage/OBSOLETE.txt"
cmake -DSTAGE="$old_stage" -DVERSION=0.9.0 -DICON="$build/win/forgeline.ico" -DOUTPUT="$scratch/old/forgeline.wxs" \
  -P "$source_dir/dist/windows/forgeline-wxs.cmake"
(cd "$scratch/old" && wixl --arch x64 --output old.msi forgeline.wxs)
msiexec /i "$scratch/old/old.msi" || fail "msiexec /i of version 0.9.0 exited with $?"
[ -f "$installed/OBSOLETE.txt" ] || fail "version 0.9.0 did not install into $installed"
msiexec /i "$msi" || fail "msiexec /i of version $version exited with $?"
products=$("$wine" uninstaller --list | tr -d '\r' | grep -c '|Forgeline$' || true)
[ "$products" = 1 ] || fail "$products products named Forgeline after the upgrade, not 1"
"$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' |
  grep -q "DisplayVersion    REG_SZ    $version" || fail "Apps and Features does not show version $version"
(cd "$installed" && find . -type f | sort) | cmp -s - "$scratch/stage.list" ||
  fail "after the upgrade the installed files are not this version's: $(cd "$installed" && find . -type f | tr '\n' ' ')"
cmp -s "$installed/forgeline-cli.exe" "$stage/forgeline-cli.exe" || fail "the installed forgeline-cli.exe is not this one"

# The Start menu's console, as its shortcut starts it, but ending after the
# command: forgeline-cli is found without its path.
arguments=$(table Shortcut | awk -F'\t' '$1 == "console" { print $6 }')
arguments=${arguments//\[INSTALLDIR\]/${local_app_data}\\Programs\\Forgeline\\}
answer=$(cd "$scratch" && "$wine" cmd /c "${arguments#/k }" 2>&1 | tr -d '\r' || true)
[ "$answer" = "forgeline-cli $version" ] || fail "the Start menu's console answered '$answer'"
for link in Forgeline 'Forgeline command prompt'; do
  find "$prefix/drive_c/users" -path "*/Start Menu/Programs/$link.lnk" | grep -q . || fail "no Start-menu entry '$link'"
done
command=$("$wine" reg query 'HKCU\Software\Classes\Directory\Background\shell\Forgeline\command' /ve 2>/dev/null |
  tr -d '\r' | sed -n 's/.*REG_SZ    //p')
[ "$command" = "\"$local_app_data\\Programs\\Forgeline\\forgeline.exe\" \"%V\"" ] ||
  fail "the Explorer entry runs '$command'"

msiexec /x "$msi" || fail "msiexec /x exited with $?"
snapshot >"$scratch/after"
diff "$scratch/before" "$scratch/after" >&2 || fail "uninstall left the lines above behind"
[ $status -eq 0 ] && echo "msi: per-user, 0.9.0 -> $version -> removed; $(wc -l <"$scratch/stage.list") files as in the zip"
exit $status
