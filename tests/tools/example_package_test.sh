#!/usr/bin/env bash
# The worked example of tools/patchkit/examples, made, checked, dumped and tried in a dry run by
# one build of patchkit, compared byte for byte with the package, dumps and report committed in
# fixtures/ (which the native build made). Run natively it pins the native output; run with "wine" it shows that
# patchkit.exe makes the same bytes and reads the native build's package the same way.
#
#   example_package_test.sh native|wine PATCHKIT SOURCE_DIR
#   PATCHKIT_REGENERATE=1 example_package_test.sh native PATCHKIT SOURCE_DIR   rewrites fixtures/
set -euo pipefail
mode=$1
patchkit=$2
source_dir=$3
examples="$source_dir/tools/patchkit/examples"
fixtures="$source_dir/tests/tools/fixtures"

# Wine runs as an unprivileged user who must read and write everything the tool touches, so the
# files are staged in a folder of that user's; Wine reaches it through Z:, the host's root.
if [ "$mode" = wine ]; then
  . "$source_dir/scripts/wine-env.sh"
  wine_prefix_ready
  stage=$(mktemp -d "$WINE_STATE/patchkit-example.XXXXXX")
  drive=Z:
  run() { "$source_dir/scripts/wine-run.sh" "$patchkit" "$@"; }
else
  stage=$(mktemp -d)
  drive=
  run() { "$patchkit" "$@"; }
fi
trap 'rm -rf "$stage"' EXIT
chmod 755 "$stage"
cp -r "$examples" "$stage/examples"
cp -r "$fixtures" "$stage/fixtures"
cp -r "$examples/tree-1.0" "$stage/installed"
[ "$mode" = wine ] && [ "$(id -u)" -eq 0 ] && chown -R "$WINE_USER" "$stage"
at() { echo "$drive$stage/$1"; }

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
same() {  # same FILE EXPECTED-FILE WHAT
  if [ "${PATCHKIT_REGENERATE:-}" = 1 ]; then cp "$1" "$2"; cp "$1" "$fixtures/$(basename "$2")"; return; fi
  cmp -s "$1" "$2" || { fail "$3 differs from $(basename "$2")"; diff <(od -c "$2") <(od -c "$1") | head -20 >&2 || true; }
}

# The 1.1 update for a 1.0 installation: only what changed goes in.
run make --since "$(at examples/tree-1.0)" "$(at examples/description.json)" "$(at examples/tree-1.1)" "$(at package)" >/dev/null ||
  fail "make exited with $?"
same "$stage/package/Updateinf.dat" "$stage/fixtures/Updateinf.dat" "the made Updateinf.dat"
payload=$(cd "$stage/package/data" && find . -type f | LC_ALL=C sort | tr '\n' ' ')
[ "$payload" = "./Product.exe ./表/新機能.txt " ] || fail "payload is: $payload"
cmp -s "$stage/package/data/表/新機能.txt" "$examples/tree-1.1/表/新機能.txt" || fail "payload bytes differ from the tree"

# Its download, the same bytes from either build: fixed order, times and level, and one zlib.
run pack "$(at package)" "$(at package.zip)" >/dev/null || fail "pack exited with $?"
same "$stage/package.zip" "$stage/fixtures/package.zip" "the packed package"

check=$(run check "$(at package)" --install-path 'C:\Program Files\サンプル製品') || fail "check exited with $?"
case "$check" in *": 0 errors, 0 warnings") ;; *) fail "check says: $check" ;; esac

run dump --json "$(at fixtures/Updateinf.dat)" >"$stage/update.json" || fail "dump of Updateinf.dat exited with $?"
same "$stage/update.json" "$stage/fixtures/Updateinf.dat.json" "dump --json of the committed Updateinf.dat"

# The record of a 1.0 installation, as its installer would have written it.
run init-install "$(at examples/description.json)" "$(at installed)" >/dev/null || fail "init-install exited with $?"
same "$stage/installed/Uninstallinf.dat" "$stage/fixtures/Uninstallinf.dat" "the written Uninstallinf.dat"
run dump --json "$(at fixtures/Uninstallinf.dat)" >"$stage/install.json" || fail "dump of Uninstallinf.dat exited with $?"
same "$stage/install.json" "$stage/fixtures/Uninstallinf.dat.json" "dump --json of the committed Uninstallinf.dat"

# The 1.1 update tried on that installation: the dry run's report, with the folder the files
# were staged in written as STAGE, is the same from either build, and nothing on disk changes.
run dry-run "$(at package)" "$(at installed)" >"$stage/dry-run.out" || fail "dry-run exited with $?"
sed "s|$drive$stage|STAGE|g" "$stage/dry-run.out" >"$stage/dry-run.txt"
same "$stage/dry-run.txt" "$stage/fixtures/dry-run.txt" "the dry run's report"
same "$stage/installed/Uninstallinf.dat" "$stage/fixtures/Uninstallinf.dat" "the record after the dry run"
cmp -s "$stage/installed/Product.exe" "$examples/tree-1.0/Product.exe" || fail "the dry run changed Product.exe"
[ -e "$stage/installed/Product.exe.bak" ] && fail "the dry run left Product.exe.bak"

[ "$failures" -eq 0 ] || exit 1
echo "example package: $mode build agrees with the fixtures"
