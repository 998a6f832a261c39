#!/usr/bin/env bash
# Update.exe must be a 32-bit GUI program that needs nothing beyond the DLLs every Windows
# has: the runtime libraries are linked in statically.
set -euo pipefail
exe=$1
headers=$(i686-w64-mingw32-objdump -p "$exe")
grep -q 'Magic[[:space:]]*010b' <<<"$headers" || { echo "$exe: not a PE32 (32-bit) image"; exit 1; }
grep -q 'Subsystem[[:space:]]*00000002' <<<"$headers" || { echo "$exe: not a Windows GUI program"; exit 1; }
status=0
while read -r dll; do
  case "${dll^^}" in
    KERNEL32.DLL|USER32.DLL|GDI32.DLL|ADVAPI32.DLL|SHELL32.DLL|OLE32.DLL|MSVCRT.DLL) echo "imports $dll" ;;
    *) echo "$exe: imports $dll, which is not a system DLL"; status=1 ;;
  esac
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
exit $status
