#!/usr/bin/env bash
# The archives scripts/dist.sh made, opened as a vendor would: each holds exactly its programs,
# the READMEs and the worked example, under a folder named with the version CMakeLists.txt
# sets; the zip's Update.exe is the stripped 32-bit GUI program importing only system DLLs and
# its patchkit.exe the stripped console program; the tarball's patchkit is optimised without
# sanitizers, stripped, tells that version and works the worked example it came with, putting
# in the tarball's Update.exe, which is the zip's.
#
#   contents_test.sh DIST_DIR SOURCE_DIR
set -euo pipefail
dist=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
version=$(sed -n 's/^project(updater VERSION \([0-9.]*\) .*/\1/p' "$source_dir/CMakeLists.txt")
[ -n "$version" ] || { echo "FAIL: no version in CMakeLists.txt"; exit 1; }
windows=updater-$version-windows-x86
linux=updater-$version-linux-x86_64
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

documents() { (cd "$source_dir" && echo README.md && echo tools/patchkit/README.md && find tools/patchkit/examples -type f); }
expect_listing() {  # ARCHIVE_LISTING_FILE TOP PROGRAM...
  local listing=$1 top=$2
  shift 2
  diff <( (printf '%s\n' "$@"; documents) | sed "s|^|$top/|" | LC_ALL=C sort) <(grep -v '/$' "$listing" | LC_ALL=C sort) >"$work/diff" ||
    { fail "$(basename "$listing") differs from what ships (< expected, > found):"; cat "$work/diff"; }
}
# Every listing is read whole before it is searched: grep -q would stop reading early, and the
# listing program's broken pipe would count as a failure.
stripped_pe() {  # FILE
  local sections symbols
  sections=$(i686-w64-mingw32-objdump -h "$1")
  symbols=$(i686-w64-mingw32-objdump -t "$1")
  grep -q '\.debug' <<<"$sections" && fail "$1 keeps debug sections"
  grep -q 'no symbols' <<<"$symbols" || fail "$1 keeps its symbol table"
}

zip=$dist/$windows.zip
[ -f "$zip" ] || { echo "FAIL: $zip is missing"; exit 1; }
unzip -Z1 "$zip" >"$work/zip.list"
expect_listing "$work/zip.list" "$windows" Update.exe patchkit.exe
unzip -q "$zip" -d "$work"
bash "$source_dir/tests/pe/check_system_imports.sh" "$work/$windows/Update.exe" >/dev/null ||
  fail "the zip's Update.exe is no 32-bit GUI program with system imports only"
stripped_pe "$work/$windows/Update.exe"
grep -q 'Subsystem[[:space:]]*00000003' <<<"$(i686-w64-mingw32-objdump -p "$work/$windows/patchkit.exe")" ||
  fail "the zip's patchkit.exe is no console program"
stripped_pe "$work/$windows/patchkit.exe"

tarball=$dist/$linux.tar.gz
[ -f "$tarball" ] || { echo "FAIL: $tarball is missing"; exit 1; }
tar tzf "$tarball" >"$work/tar.list"
expect_listing "$work/tar.list" "$linux" patchkit Update.exe sign-update.sh
tar xzf "$tarball" -C "$work"
patchkit=$work/$linux/patchkit
cmp -s "$work/$linux/Update.exe" "$work/$windows/Update.exe" || fail "the tarball's Update.exe is not the zip's"
grep -Eq 'NEEDED.*lib(a|ub|t|l)san' <<<"$(readelf -d "$patchkit")" && fail "the tarball's patchkit needs a sanitizer's runtime"
grep -q '__asan_\|__ubsan_' <<<"$(readelf --dyn-syms "$patchkit")" && fail "the tarball's patchkit is instrumented"
grep -Eq '\.debug_|\.symtab' <<<"$(readelf -S "$patchkit")" && fail "the tarball's patchkit is not stripped"
[ "$("$patchkit" --version)" = "patchkit $version" ] || fail "patchkit --version says: $("$patchkit" --version)"
examples=$work/$linux/tools/patchkit/examples
cp -r "$examples/tree-1.0" "$work/installed"
"$patchkit" make --since "$examples/tree-1.0" "$examples/description.json" "$examples/tree-1.1" "$work/package" >/dev/null &&
  "$patchkit" init-install "$examples/description.json" "$work/installed" >/dev/null &&
  grep -qx 'the update would succeed' <<<"$("$patchkit" dry-run "$work/package" "$work/installed")" ||
  fail "the tarball's patchkit does not work its own example"
cmp -s "$work/package/Update.exe" "$work/$windows/Update.exe" || fail "make did not put in the Update.exe beside patchkit"

[ "$failures" -eq 0 ] || exit 1
echo "dist contents: $(basename "$zip") $(stat -c %s "$zip") bytes, $(basename "$tarball") $(stat -c %s "$tarball") bytes; both hold what ships"
