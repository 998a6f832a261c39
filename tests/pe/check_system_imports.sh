#!/usr/bin/env bash
# Update.exe must be a 32-bit GUI program that needs nothing beyond the DLLs every Windows has
# (the runtime libraries are linked in statically) and calls nothing that is not written down:
# every imported function is listed, and one that is not in allowed_imports.txt beside this
# script fails the check. A new system call, a registry write above all, is then a decision
# somebody made and can review, not a side effect of a link.
set -euo pipefail
exe=$1
allowed=${2:-$(dirname "$0")/allowed_imports.txt}
headers=$(i686-w64-mingw32-objdump -p "$exe")
grep -q 'Magic[[:space:]]*010b' <<<"$headers" || { echo "$exe: not a PE32 (32-bit) image"; exit 1; }
grep -q 'Subsystem[[:space:]]*00000002' <<<"$headers" || { echo "$exe: not a Windows GUI program"; exit 1; }

# objdump lists each DLL's imports as "<vma> <hint> <name>", or "<vma> <ordinal>" for one
# imported by ordinal only, which no list can allow.
imports=$(awk '
  /^[[:space:]]*DLL Name:/ { dll = toupper($3); next }
  /^[[:space:]]*$/ { dll = "" }
  dll != "" && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, (NF >= 3 ? $3 : "ordinal-" $2) }
' <<<"$headers" | sort -u)
[ -n "$imports" ] || { echo "$exe: no imports found; objdump's format may have changed"; exit 1; }
listed=$(awk '!/^[[:space:]]*(#|$)/ { print toupper($1), $2 }' "$allowed" | sort -u)

sed 's/^/imports /' <<<"$imports"
unexpected=$(comm -23 <(echo "$imports") <(echo "$listed"))
if [ -n "$unexpected" ]; then
  sed "s|^|$exe: imports |; s|\$|, which $(basename "$allowed") does not allow|" <<<"$unexpected"
  exit 1
fi
