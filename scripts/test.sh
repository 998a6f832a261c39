#!/usr/bin/env bash
# Installs what is missing, builds and runs every suite: unit and contract tests on the host,
# the contract suite and the end-to-end cases under Wine, a few seconds of each fuzz target, and
# the shipped archives that scripts/dist.sh makes, with the signing of their Update.exe.
#
# The product is the 32-bit build (windows preset): it is always built, and its image is
# checked without running it (the tests labelled static). The Wine suites run the build that
# Wine can run on this machine (scripts/wine-env.sh decides): windows, or windows64, the same
# sources built for 64-bit, where the kernel runs no 32-bit code. The host suite's end-to-end
# cases drive that build's Update.exe.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh || exit 1
. scripts/wine-env.sh
wine_build=$(wine_windows_build)

set -e
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"
if [ "$wine_build" != windows ]; then
  cmake --preset "$wine_build" >/dev/null
  cmake --build --preset "$wine_build" -j "$(nproc)"
fi
# The benchmark, from the optimised build, in its short mode: it shows that every benchmark
# runs, Update.exe under Wine included; no time is asserted.
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target updater_bench
set +e

echo "test.sh: the Wine suites run build/$wine_build, because $WINE_ARCH_REASON"
failed=()
ctest --preset windows -L static || failed+=("windows (static)")
# Named, so that a missing build fails the end-to-end cases instead of skipping them.
UPDATER_WINDOWS_BUILD=$PWD/build/$wine_build ctest --preset native || failed+=(native)
ctest --preset "$wine_build" -LE static || failed+=("$wine_build (under Wine)")
bash scripts/fuzz.sh || failed+=(fuzz)
ctest --preset release -R bench_short || failed+=("release (benchmark, short mode)")
# What ships: the dist command's archives opened and their programs tried, signing included.
{ bash scripts/dist.sh >/dev/null && bash tests/dist/contents_test.sh build/dist . && bash tests/dist/signing_test.sh build/dist .; } ||
  failed+=("dist (archives and signing)")

if [ ${#failed[@]} -gt 0 ]; then
  echo "test.sh: failed: ${failed[*]}"
  exit 1
fi
echo "test.sh: every suite passed (Wine ran build/$wine_build)"
