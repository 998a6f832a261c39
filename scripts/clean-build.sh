#!/usr/bin/env bash
# One commit built as anyone would build it: a fresh clone of this repository at COMMIT in
# FOLDER (which must not exist), and scripts/dist.sh run there without the compiler cache, so
# that every object is compiled in that folder. The archives are then in FOLDER/build/dist, the
# programs in its build trees; dist.sh's output goes to FOLDER.log.
#
#   clean-build.sh COMMIT FOLDER
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: clean-build.sh COMMIT FOLDER" >&2; exit 2; }
commit=$1 folder=$2
repository=$(cd "$(dirname "$0")/.." && pwd)
git clone --quiet --no-checkout "$repository" "$folder"
git -C "$folder" checkout --quiet --detach "$commit"
(cd "$folder" && env -u CMAKE_CXX_COMPILER_LAUNCHER -u CMAKE_C_COMPILER_LAUNCHER CCACHE_DISABLE=1 bash scripts/dist.sh) >"$folder.log" 2>&1 ||
  { tail -20 "$folder.log" >&2; echo "clean-build.sh: dist.sh failed in $folder (whole output: $folder.log)" >&2; exit 1; }
