#!/usr/bin/env bash
# Whether the builds are reproducible: two clean builds of one commit (HEAD unless one is
# named; uncommitted changes are in neither), in two folders of different names and depths,
# one after the other, must give the same Update.exe, patchkit.exe and patchkit, in their
# build trees and in both archives, byte for byte. Two whole builds without the compiler cache:
# some minutes each. Exit status 0 when every file compares equal.
#
#   compare-builds.sh [COMMIT]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$source_dir" rev-parse --verify "${1:-HEAD}^{commit}")
work=$(mktemp -d /var/tmp/compare-builds.XXXXXX)
trap 'rm -rf "$work"' EXIT
first=$work/a
second=$work/second/build-of-the-same-commit
mkdir -p "$(dirname "$second")"
for folder in "$first" "$second"; do
  echo "compare-builds.sh: building $commit in $folder ($(date -u +%H:%M:%S))"
  bash "$source_dir/scripts/clean-build.sh" "$commit" "$folder"
done

different=0
files=(build/windows/app/Update.exe build/windows/tools/patchkit/patchkit.exe build/release/tools/patchkit/patchkit)
files+=($(cd "$first" && ls build/dist/*))
for file in "${files[@]}"; do
  if cmp -s "$first/$file" "$second/$file"; then
    echo "same       $file ($(stat -c %s "$first/$file") bytes)"
  else
    echo "different  $file: $(cmp "$first/$file" "$second/$file" 2>&1 | head -1)"
    different=$((different + 1))
  fi
done
[ "$different" -eq 0 ] || { echo "compare-builds.sh: $different of ${#files[@]} files differ"; exit 1; }
echo "compare-builds.sh: the ${#files[@]} files of the two builds of $commit are the same"
