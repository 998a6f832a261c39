#!/usr/bin/env bash
# The shipped archives, in build/dist/: the Windows zip from the 32-bit build (windows preset:
# Update.exe and patchkit.exe) and the Linux tarball from the optimised native build (release
# preset: patchkit without sanitizers, and sign-update.sh), both stripped and both with the
# READMEs and the worked example. Their names carry the version set in CMakeLists.txt; what
# goes in is cmake/packaging.cmake.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
rm -rf build/dist
mkdir -p build/dist
for preset in windows release; do
  cmake --preset "$preset" >/dev/null
  targets=(patchkit)
  [ "$preset" = windows ] && targets+=(Update)
  cmake --build --preset "$preset" -j "$(nproc)" --target "${targets[@]}"
  rm -rf "build/$preset/package"
  cpack --config "build/$preset/CPackConfig.cmake" -B "build/$preset/package" >/dev/null
  mv "build/$preset/package"/updater-* build/dist/
done
ls -l build/dist
