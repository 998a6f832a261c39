#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every suite: unit and contract tests
# on the host, the contract suite and the end-to-end cases under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)"
# Built before the host suite runs: its end-to-end cases run this build's Update.exe.
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"

ctest --preset native
ctest --preset windows
