#!/usr/bin/env bash
# The main job: the real Update.exe under Wine on a sample installation. Lays out the worked
# example's version 1.0 as an installed product (its record made by patchkit init-install, its
# registry value under HKEY_CURRENT_USER), the 1.1 update beside Update.exe (patchkit make
# --since), starts Update.exe on a virtual display, shows what its confirmation dialog says,
# answers OK and keeps screenshots in build/demo/. Where this machine cannot run 32-bit code,
# Wine runs the 64-bit build of the same sources instead of the product's 32-bit one.
#
# The copy engine is not part of the updater yet: after OK the progress dialog appears and the
# run ends without changing the installation. This script says so at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/setup.sh
. scripts/wine-env.sh
build=$(wine_windows_build)
cmake --preset native >/dev/null && cmake --build --preset native -j "$(nproc)" >/dev/null
cmake --preset "$build" >/dev/null && cmake --build --preset "$build" -j "$(nproc)" >/dev/null
patchkit=$root/build/native/tools/patchkit/patchkit
examples=$root/tools/patchkit/examples
out=$root/build/demo
rm -rf "$out" && mkdir -p "$out"

case_folder=$(bash scripts/wine-case.sh new demo)
prefix=$case_folder/prefix
install="$prefix/drive_c/サンプル製品"
update="$prefix/drive_c/update-1.1"
cp -r "$examples/tree-1.0" "$install"
"$patchkit" init-install "$examples/description.json" "$install"
"$patchkit" make --since "$examples/tree-1.0" "$examples/description.json" "$examples/tree-1.1" "$update" \
  --updater "$root/build/$build/app/Update.exe"
cp "$root/build/$build/tests/e2e/probe/probe.exe" "$case_folder/"
bash scripts/wine-case.sh own "$case_folder"

hex() { printf '%s' "$1" | iconv -f UTF-8 -t CP932 | od -An -tx1 | tr -d ' \n'; }
# The installation value ends in a backslash: the record's path is built by appending to it.
bash scripts/wine-case.sh run "$prefix" "$case_folder/probe.exe" reg-set \
  "$(hex 'Software\ExampleMaker\SampleProduct')" "$(hex 'InstallFolder')" "$(hex 'C:\サンプル製品\')" \
  >"$out/reg.log" 2>&1

# The server picks a free display number itself and writes it once it accepts clients.
fifo="$out/display.fifo"
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; bash scripts/wine-case.sh kill "$prefix" >/dev/null 2>&1 || true' EXIT
read -r number <"$fifo"
rm -f "$fifo"
[ -n "$number" ] || { echo "demo: Xvfb did not start" >&2; exit 1; }
display=:$number
export DISPLAY=$display

before=$(md5sum "$install/Uninstallinf.dat")
bash scripts/wine-case.sh run "$prefix" 'C:\update-1.1\Update.exe' >"$out/update.log" 2>&1 &
updater=$!
bash scripts/wine-case.sh run "$prefix" "$case_folder/probe.exe" --process Update.exe find 20000 dump >"$out/confirmation.txt" 2>&1
import -display "$display" -window root "$out/confirmation.png"
bash scripts/wine-case.sh run "$prefix" "$case_folder/probe.exe" --process Update.exe find 5000 press 1 >>"$out/confirmation.txt" 2>&1
wait $updater || true

echo
echo "Wine ran build/$build: $WINE_ARCH_REASON."
echo "Update.exe found the installation at C:\\サンプル製品\\ and asked for confirmation:"
sed -n 's/.*text=\([0-9a-f]*\).*/\1/p' "$out/confirmation.txt" | while read -r text; do
  [ -n "$text" ] && echo "  $(echo "$text" | xxd -r -p | iconv -f CP932 -t UTF-8)"
done
echo "It was answered OK; the progress dialog followed and the run ended."
if [ "$(md5sum "$install/Uninstallinf.dat")" = "$before" ]; then
  echo "The installation is unchanged: copying the files in is the next step of the updater's development."
fi
echo "Screenshot: $out/confirmation.png"
