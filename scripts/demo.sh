#!/usr/bin/env bash
# The main job: a real update of a sample installation by the real Update.exe under Wine.
# Lays out the worked example's version 1.0 as an installed product (its record made by
# patchkit init-install, its registry value under HKEY_CURRENT_USER) and the 1.1 update beside
# Update.exe (patchkit make --since), with one more folder in 1.1 that holds a file of many copy
# chunks. Before the update, patchkit's dry run (the Windows build, in the same prefix) tells
# what it will do; after it, patchkit's audit tells whether the installation still agrees
# with its record. Update.exe runs inside Wine's virtual desktop, which draws frames and captions as
# Windows does; a probe in the same prefix answers the confirmation with OK, and screenshots
# of the confirmation, the progress dialog and the outcome go to build/demo/screenshots/.
# Then it prints what changed: files added and replaced, the .bak files, the Start-menu
# shortcuts the update made (read back through the shell in the prefix) with the recorded
# shortcut slots before and after, and the record before and after. Where this machine
# cannot run 32-bit code, Wine runs the 64-bit build of the same sources instead of the
# product's 32-bit one.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/setup.sh
. scripts/wine-driver.sh
build=$(wine_windows_build)
cmake --preset native >/dev/null && cmake --build --preset native -j "$(nproc)" >/dev/null
cmake --preset "$build" >/dev/null && cmake --build --preset "$build" -j "$(nproc)" >/dev/null
patchkit=$root/build/native/tools/patchkit/patchkit
examples=$root/tools/patchkit/examples
out=$root/build/demo
shots=$out/screenshots
screen=1024x768
rm -rf "$out" && mkdir -p "$shots"

# Version 1.1 as the worked example has it, plus a new folder with a 150 MB file: enough
# chunks for the progress dialog to be seen at work. Made sparse, so it costs no disk here.
tree=$out/tree-1.1
cp -r "$examples/tree-1.1" "$tree"
mkdir -p "$tree/データ"
truncate -s 150M "$tree/データ/地図.dat"
printf 'MAP1' | dd of="$tree/データ/地図.dat" conv=notrunc status=none

case_folder=$(bash scripts/wine-case.sh new demo)
prefix=$case_folder/prefix
install="$prefix/drive_c/サンプル製品"
update="$prefix/drive_c/update-1.1"
cp -r "$examples/tree-1.0" "$install"
"$patchkit" init-install "$examples/description.json" "$install" >/dev/null
"$patchkit" make --since "$examples/tree-1.0" "$examples/description.json" "$tree" "$update" \
  --updater "$root/build/$build/app/Update.exe" >"$out/make.log"
cp "$root/build/$build/tests/e2e/probe/probe.exe" "$root/build/$build/tests/e2e/probe/launcher.exe" "$case_folder/"
cp "$root/build/$build/tools/patchkit/patchkit.exe" "$case_folder/"
# The caption buttons are drawn with the Marlett font, which Debian's fonts-wine installs
# where this Wine does not look for it; in the prefix's own Fonts folder it is found.
cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
bash scripts/wine-case.sh own "$case_folder"

probe() { bash scripts/wine-case.sh run "$prefix" "$case_folder/probe.exe" "$@"; }
hex() { printf '%s' "$1" | iconv -f UTF-8 -t CP932 | od -An -tx1 | tr -d ' \n'; }
# The installation value ends in a backslash: the record's path is built by appending to it.
probe reg-set "$(hex 'Software\ExampleMaker\SampleProduct')" "$(hex 'InstallFolder')" "$(hex 'C:\サンプル製品\')" \
  >"$out/reg.log" 2>&1
# Every program of the prefix, the updater and the probe alike, on one virtual desktop the
# size of the screen: Wine draws frames and captions there as Windows does, and a screenshot
# is what a user would see.
probe reg-set "$(hex 'Software\Wine\Explorer')" "$(hex 'Desktop')" "$(hex 'Default')" >>"$out/reg.log" 2>&1
probe reg-set "$(hex 'Software\Wine\Explorer\Desktops')" "$(hex 'Default')" "$(hex "$screen")" >>"$out/reg.log" 2>&1

# The Start menu's per-user Programs folder as the shell names it, and the product's folder in
# it that the 1.0 installation made: the updater makes shortcuts there but never the folder.
unhex() { tr -d '\r\n' | xxd -r -p | iconv -f CP932 -t UTF-8; }
field() { sed -n "s/.*$1=\([0-9a-f]*\).*/\1/p" | unhex; }
programs=$(probe folder 2 | field path)
links="$programs\\サンプル製品"
links_host="$prefix/drive_c$(printf '%s' "${links#C:}" | tr '\\' /)"
mkdir -p "$links_host"
bash scripts/wine-case.sh own "$case_folder"

trap 'wine_kill_prefix "$prefix" >/dev/null 2>&1 || true; stop_xvfb' EXIT
start_xvfb "${screen}x24"
display=$DISPLAY
# A picture is kept only once the screen has settled: the same in four captures a quarter of a
# second apart. A window that has just been shown may not have painted yet (on a fresh machine
# the first confirmation was saved with only its OK button drawn); a screen that never settles
# within 30 s is kept as it last was. Captures are raw pixels, so equal screens are equal files.
shot() {
  local last="$out/shot.last.rgb" next="$out/shot.next.rgb" same=0
  import -display "$display" -window root -depth 8 "rgb:$last"
  for _ in $(seq 120); do
    sleep 0.25
    import -display "$display" -window root -depth 8 "rgb:$next"
    if cmp -s "$last" "$next"; then
      same=$((same + 1))
      [ "$same" -eq 3 ] && break
    else
      same=0
    fi
    mv -f "$next" "$last"
  done
  convert -size "$screen" -depth 8 "rgb:$last" "$shots/$1.png"
  rm -f "$last" "$next"
}
handle() { sed -n 's/^window hwnd=\(0x[0-9a-f]*\).*/\1/p' "$1" | tail -1; }
texts() {
  # every text of the dialogs in a probe's record, readable
  grep -v 'class=msctls_progress32' "$1" | sed -n 's/^\(window\|control\) .*text=\([0-9a-f]*\) .*/\2/p' | while read -r text; do
    [ -n "$text" ] && echo "    $(echo "$text" | xxd -r -p | iconv -f CP932 -t UTF-8)"
  done
  true
}

cp "$install/Uninstallinf.dat" "$out/Uninstallinf.before.dat"
listing() { (cd "$install" && find . -mindepth 1 -type "$1" -printf '%P\n' | sort); }
listing d >"$out/folders.before"
listing f >"$out/files.before"
sums() { (cd "$install" && find . -type f -printf '%P\0' | xargs -0 md5sum | sort -k2); }
sums >"$out/sums.before"

# What the update will do, told by patchkit's dry run in the same prefix before anything changes,
# and afterwards whether the installation agrees with its record.
patchkit_in_prefix() { bash scripts/wine-case.sh run "$prefix" "$case_folder/patchkit.exe" "$@"; }
patchkit_in_prefix dry-run 'C:\update-1.1' 'C:\サンプル製品' >"$out/dry-run.txt" 2>&1 || true

# Started through the launcher, which says the updater's Windows process id: the probe watches
# the windows of that process.
bash scripts/wine-case.sh run "$prefix" "$case_folder/launcher.exe" 'C:\update-1.1\Update.exe' >"$out/update.log" 2>&1 &
updater=$!
updater_id=$(wine_process_id "$out/update.log")
watch=(--process-id "$updater_id")
probe "${watch[@]}" find 30000 dump >"$out/confirmation.txt" 2>&1
shot 1-confirmation
# OK; then wait until the bar has passed a quarter, hold the updater once its window has
# painted, take the picture and let it go on.
probe "${watch[@]}" use "$(handle "$out/confirmation.txt")" press 1 next 20000 progress 1001 25 60000 hold 5000 dump \
  >"$out/progress.txt" 2>&1 || true
held=$(sed -n 's/^held thread=\([0-9]*\).*/\1/p' "$out/progress.txt" | tr -d '\r')
if [ -n "$held" ]; then
  shot 2-progress
  probe release "$held" >/dev/null 2>&1
fi
probe "${watch[@]}" box 120000 dump >"$out/outcome.txt" 2>&1
shot 3-outcome
probe use "$(handle "$out/outcome.txt")" press 1 >/dev/null 2>&1
for _ in $(seq 100); do
  [ -n "$(pgrep -u "$WINE_USER" -f 'update-1.1.Update.exe' || true)" ] || break
  sleep 0.2
done
bash scripts/wine-case.sh kill "$prefix" >/dev/null 2>&1 || true
wait $updater 2>/dev/null || true

listing d >"$out/folders.after"
listing f >"$out/files.after"
sums >"$out/sums.after"
cp "$install/Uninstallinf.dat" "$out/Uninstallinf.after.dat"
patchkit_in_prefix audit 'C:\サンプル製品' >"$out/audit.txt" 2>&1 || true

echo
echo "Wine ran build/$build: $WINE_ARCH_REASON."
echo "Before the update, patchkit's dry run in the prefix said:"
tr -d '\r' <"$out/dry-run.txt" | sed 's/^/    /'
echo
echo "Update.exe found the sample installation at C:\\サンプル製品\\ and asked:"
texts "$out/confirmation.txt"
echo "It was answered OK. The progress dialog:"
texts "$out/progress.txt"
echo "The outcome:"
texts "$out/outcome.txt"
echo
echo "Folders added:"
comm -13 "$out/folders.before" "$out/folders.after" | sed 's/^/    /'
echo "Files added:"
comm -13 "$out/files.before" "$out/files.after" | grep -v '\.bak$' | sed 's/^/    /'
echo "Files replaced (their old content kept beside them as .bak):"
join -1 2 -2 2 "$out/sums.before" "$out/sums.after" | awk '$2 != $3 {print "    " $1}' | grep -v 'Uninstallinf.dat' || true
echo ".bak files:"
grep '\.bak$' "$out/files.after" | sed 's/^/    /' || true
echo
echo "Start-menu shortcuts in $links, as the shell reads them:"
for link in "$links_host"/*.lnk; do
  [ -e "$link" ] || { echo "    none"; break; }
  read_back=$(probe shortcut "$(hex "$links\\$(basename "$link")")")
  echo "    $(basename "$link")"
  echo "        target $(field target <<<"$read_back")  arguments \"$(field arguments <<<"$read_back")\"  working folder $(field directory <<<"$read_back")"
done
echo "Shortcut slots recorded before:"
"$patchkit" dump "$out/Uninstallinf.before.dat" --kind install | grep '^  shortcuts' | sed 's/^  /    /'
echo "and after:"
"$patchkit" dump "$out/Uninstallinf.after.dat" --kind install | grep '^  shortcuts' | sed 's/^  /    /'
echo
echo "The installation's record (Uninstallinf.dat) before:"
"$patchkit" dump "$out/Uninstallinf.before.dat" --kind install | sed 's/^/    /'
echo "and after:"
"$patchkit" dump "$out/Uninstallinf.after.dat" --kind install | sed 's/^/    /'
echo
echo "After it, patchkit's audit of the installation says:"
tr -d '\r' <"$out/audit.txt" | sed 's/^/    /'
echo
echo "Screenshots (confirmation, progress, outcome): $shots/"
ls "$shots" | sed 's/^/    /'
