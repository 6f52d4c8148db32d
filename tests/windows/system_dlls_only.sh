#!/usr/bin/env bash
# Fails when a Windows program imports a DLL that a bare Windows lacks (the
# mingw C++ run-time or thread library, say): it would not start there.
# Usage: system_dlls_only.sh PROGRAM.exe
set -euo pipefail
imports=$(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p')
status=0
for dll in $imports; do
  case "${dll,,}" in
    kernel32.dll | msvcrt.dll | user32.dll | gdi32.dll | shell32.dll | comctl32.dll | comdlg32.dll | \
      advapi32.dll | ole32.dll | uxtheme.dll) ;;
    *) echo "FAIL: $1 imports $dll, which is not part of Windows" >&2; status=1 ;;
  esac
done
echo "$(basename "$1") imports: $(echo $imports)"
exit $status
