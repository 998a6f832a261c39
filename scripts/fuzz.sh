#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz preset, clang) and runs each for a fixed time over the
# committed seed corpus (tests/fuzz/corpus). scripts/test.sh runs it with the default few
# seconds a target; for a real search give it longer:
#
#   FUZZ_SECONDS=1800 bash scripts/fuzz.sh
#
# New inputs go to build/fuzz/corpus/TARGET (kept between runs, searched again next time), and
# a crashing input to build/fuzz/artifacts/, named in the output: make it a unit test.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-5}

cmake --preset fuzz >/dev/null
targets=(manifest_fuzz path_fuzz template_fuzz apply_fuzz)
# The targets alone: the rest of the tree (the programs, the benchmark) is no use instrumented.
cmake --build --preset fuzz -j "$(nproc)" --target "${targets[@]}"

# The manifest target writes its inputs to files; a memory file system keeps that from
# waiting on the disk.
[ -d /dev/shm ] && export TMPDIR=/dev/shm
failed=()
for target in manifest:manifest paths:path templates:template updates:apply; do
  seeds=${target%%:*} name=${target#*:}_fuzz
  mkdir -p "build/fuzz/corpus/$name" build/fuzz/artifacts
  log=build/fuzz/$name.log
  # Targets that take manifests get the pieces of names that lead elsewhere.
  dictionary=()
  case $seeds in manifest) dictionary=(-dict=tests/fuzz/names.dict) ;; esac
  if build/fuzz/tests/fuzz/$name -max_total_time="$seconds" -print_final_stats=1 "${dictionary[@]}" \
      -artifact_prefix=build/fuzz/artifacts/$name- \
      "build/fuzz/corpus/$name" "tests/fuzz/corpus/$seeds" >"$log" 2>&1; then
    echo "fuzz.sh: $name: $(awk '/number_of_executed_units/ { print $2 }' "$log") executions in ${seconds} s, no crash"
  else
    tail -40 "$log"
    echo "fuzz.sh: $name failed; the input is in build/fuzz/artifacts/"
    failed+=("$name")
  fi
done
[ ${#failed[@]} -eq 0 ]
