#!/usr/bin/env bash
# The shipped archives, in build/dist/: the Windows zip from the 32-bit build (windows preset:
# Update.exe and patchkit.exe) and the Linux tarball from the optimised native build (release
# preset: patchkit without sanitizers, the zip's Update.exe and sign-update.sh), stripped, with the
# READMEs and the worked example. Their names carry the version set in CMakeLists.txt; what
# goes in is cmake/packaging.cmake.
#
# Two runs on one commit give the same bytes, wherever the checkout lies and whenever it runs
# (scripts/compare-builds.sh shows it): the programs carry no time or path of their build (see
# CMakeLists.txt), and scripts/normalize-archive.py rewrites what CPack packs with sorted
# members, whose times are SOURCE_DATE_EPOCH: the commit's time unless it is set.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
    { echo "dist.sh: not a git checkout: set SOURCE_DATE_EPOCH to the time the archives' members carry" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH
rm -rf build/dist
mkdir -p build/dist
# The Windows zip first: the tarball carries its Update.exe.
kit_updater=$PWD/build/release/kit/Update.exe
for preset in windows release; do
  options=()
  if [ "$preset" = release ]; then
    mkdir -p "$(dirname "$kit_updater")"
    unzip -p build/dist/updater-*-windows-x86.zip '*/Update.exe' >"$kit_updater"
    options=(-DUPDATER_KIT_UPDATER="$kit_updater")
  fi
  cmake --preset "$preset" "${options[@]}" >/dev/null
  targets=(patchkit)
  [ "$preset" = windows ] && targets+=(Update)
  cmake --build --preset "$preset" -j "$(nproc)" --target "${targets[@]}"
  rm -rf "build/$preset/package"
  cpack --config "build/$preset/CPackConfig.cmake" -B "build/$preset/package" >/dev/null
  for archive in "build/$preset/package"/updater-*; do
    python3 scripts/normalize-archive.py "$archive"
    mv "$archive" build/dist/
  done
done
ls -l build/dist
