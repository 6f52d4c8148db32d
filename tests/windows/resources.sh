#!/usr/bin/env bash
# A Windows program carries what Explorer's Properties and Windows read from
# it: a version resource with this build's version and its own file name,
# and a manifest that asks for UTF-8 as the code page and for long paths.
# Usage: resources.sh PROGRAM.exe VERSION
set -euo pipefail
exe=$1 version=$2
status=0
fail() { echo "FAIL: $(basename "$exe"): $*" >&2; status=1; }

# The version resource's strings, one a line (its text is UTF-16).
strings=$(wrestool -x --raw --type=16 "$exe" | iconv -f UTF-16LE -t UTF-8 2>/dev/null |
  tr -c '[:print:]' '\n' | grep -v '^.\?$' || true)
value() { grep -A1 -x "$1" <<<"$strings" | sed -n 2p; }
for key in FileVersion ProductVersion; do
  [ "$(value $key)" = "$version" ] || fail "$key is '$(value $key)', not $version"
done
[ "$(value OriginalFilename)" = "$(basename "$exe")" ] || fail "OriginalFilename is '$(value OriginalFilename)'"
[ -n "$(value LegalCopyright)" ] || fail "no LegalCopyright"

manifest=$(wrestool -x --raw --type=24 "$exe" | tr -d '\r\n' | tr -s ' ')
grep -q '<activeCodePage[^>]*>UTF-8</activeCodePage>' <<<"$manifest" || fail "the manifest lacks the UTF-8 code page"
grep -q '<longPathAware[^>]*>true</longPathAware>' <<<"$manifest" || fail "the manifest lacks long paths"
[ $status -eq 0 ] && echo "$(basename "$exe"): version $version, UTF-8, long paths"
exit $status
