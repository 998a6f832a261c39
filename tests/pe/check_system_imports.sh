#!/usr/bin/env bash
# Update.exe must be a 32-bit GUI program that needs nothing beyond the DLLs every Windows has
# (the runtime libraries are linked in statically), takes them from the system folder alone,
# and calls nothing that is not written down: every imported function is listed, and one that
# is not in allowed_imports.txt beside this script fails the check. A new system call, a registry write above all, is then a decision
# somebody made and can review, not a side effect of a link.
set -euo pipefail
exe=$1
allowed=${2:-$(dirname "$0")/allowed_imports.txt}
headers=$(i686-w64-mingw32-objdump -p "$exe")
grep -q 'Magic[[:space:]]*010b' <<<"$headers" || { echo "$exe: not a PE32 (32-bit) image"; exit 1; }
grep -q 'Subsystem[[:space:]]*00000002' <<<"$headers" || { echo "$exe: not a Windows GUI program"; exit 1; }

# The loader takes the imports from the system folder alone: the load configuration's
# dependent-load flags (a PE32 configuration's 16 bits at 0x36) are LOAD_LIBRARY_SEARCH_SYSTEM32
# (0x800). objdump -s prints the bytes as " ADDRESS WORD WORD WORD WORD  TEXT".
read -r _ _ rva size _ < <(grep '^Entry a ' <<<"$headers")
base=$(awk '/^ImageBase/ { print $2 }' <<<"$headers")
[ $((16#$size)) -ge $((0x38)) ] || { echo "$exe: no load configuration that holds dependent-load flags"; exit 1; }
start=$((16#$base + 16#$rva))
configuration=$(i686-w64-mingw32-objdump -s --start-address=$start --stop-address=$((start + 16#$size)) "$exe" |
  awk '/^ [0-9a-f]+ / { split($0, halves, "  "); n = split(halves[1], words, " "); for (i = 2; i <= n; i++) printf "%s", words[i] }')
flags=${configuration:$((0x36 * 2)):4}
[ "$flags" = 0008 ] || { echo "$exe: dependent-load flags are ${flags:-missing} (bytes), not 00 08"; exit 1; }

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
