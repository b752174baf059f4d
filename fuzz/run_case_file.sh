#!/usr/bin/env bash
# Runs the case-file fuzzer of a build configured with -DH2_FUZZ=ON:
#   fuzz/run_case_file.sh BUILD_DIR SECONDS [libFuzzer options...]
# SECONDS 0 runs until stopped (or until -runs=N executions). The corpus it
# grows stays in BUILD_DIR/fuzz/case_file_corpus between runs; a finding is
# written to BUILD_DIR/fuzz/ and ends the run with a non-zero status.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${2:-60}
shift $(($# < 2 ? $# : 2))

seeds=$build/fuzz/case_file_seeds
corpus=$build/fuzz/case_file_corpus
mkdir -p "$seeds" "$corpus"
cp examples/*.dat tests/golden/case_file_*.dat fuzz/corpus/case_file/* "$seeds"/

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
"$build"/fuzz/h2_case_file_fuzz -max_total_time="$seconds" -detect_leaks=1 -print_final_stats=1 \
  -artifact_prefix="$build/fuzz/" "$@" "$corpus" "$seeds"
