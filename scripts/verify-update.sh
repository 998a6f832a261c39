#!/usr/bin/env bash
# Whether a signed Update.exe is the program that this checkout's commit builds, apart from
# what signing writes: the certificate table at the end (with up to 7 bytes of padding before
# it), the table's entry in the data directory, and the PE checksum. osslsigncode
# remove-signature takes the first two away, and the checksum is left out of the comparison;
# every other byte must be the build's. BUILT.exe is the unsigned program to compare with, as
# scripts/dist.sh puts it in the Windows zip; without it a clean build of the commit is made
# first (scripts/clean-build.sh: some minutes).
#
#   verify-update.sh SIGNED.exe [BUILT.exe]
# Exit status 0 the same program, 1 another one, 2 usage error or a file that cannot be read.
set -euo pipefail
[ $# -ge 1 ] && [ $# -le 2 ] && [ -f "$1" ] || { echo "usage: verify-update.sh SIGNED.exe [BUILT.exe]" >&2; exit 2; }
signed=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ $# -eq 2 ]; then
  built=$2
  [ -f "$built" ] || { echo "verify-update.sh: $built: no such file" >&2; exit 2; }
else
  source_dir=$(cd "$(dirname "$0")/.." && pwd)
  commit=$(git -C "$source_dir" rev-parse HEAD)
  echo "verify-update.sh: building $commit (uncommitted changes are not in it)"
  bash "$source_dir/scripts/clean-build.sh" "$commit" "$work/build" || exit 2
  unzip -p "$work"/build/build/dist/updater-*-windows-x86.zip '*/Update.exe' >"$work/built.exe"
  built=$work/built.exe
fi

if ! osslsigncode remove-signature -in "$signed" -out "$work/unsigned.exe" >"$work/remove.log" 2>&1; then
  echo "verify-update.sh: $signed carries no signature that osslsigncode can remove: $(tail -1 "$work/remove.log")"
  exit 1
fi
cp "$built" "$work/built.exe.copy"
# The PE checksum: 4 bytes at 88 into the PE header, whose offset is the 32-bit value at 60.
without_checksum() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  printf '\0\0\0\0' | dd of="$1" bs=1 seek=$((header + 88)) conv=notrunc status=none
}
without_checksum "$work/unsigned.exe"
without_checksum "$work/built.exe.copy"
size=$(stat -c %s "$work/built.exe.copy")
padding=$(($(stat -c %s "$work/unsigned.exe") - size))
if [ "$padding" -ge 0 ] && [ "$padding" -lt 8 ] && [ -z "$(tail -c "+$((size + 1))" "$work/unsigned.exe" | tr -d '\0')" ] &&
  cmp -s -n "$size" "$work/unsigned.exe" "$work/built.exe.copy"; then
  echo "verify-update.sh: $signed is $([ $# -eq 2 ] && echo "$built" || echo "the Update.exe of $commit"), but for its signature"
  exit 0
fi
difference=$(cmp -n "$size" "$work/unsigned.exe" "$work/built.exe.copy" 2>&1 | sed -n 's/.*differ: byte \([0-9]*\).*/byte \1 differs/p' || true)
echo "verify-update.sh: $signed is not $([ $# -eq 2 ] && echo "$built" || echo "the Update.exe of $commit"):" \
  "${difference:-without its signature it holds $padding bytes more than the build}"
exit 1
