#!/usr/bin/env bash
# Builds the library, the plug-ins and the command-line host (no tests, no
# benchmarks) and runs the host on the shipped example case.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ensure_packages.sh
cmake -S . -B build
cmake --build build -j"$(nproc)" --target halvorine2_cli h2_plugins h2_model_files sample_atlas
# The run writes its flow files ("expdata.*") into its working directory:
# build/run, so that the source tree stays clean. Paths given on the command
# line are made absolute first.
args=()
for a in "${@:-examples/air_turbine_stage.dat}"; do
  if [ -e "$a" ]; then args+=("$(realpath "$a")"); else args+=("$a"); fi
done
mkdir -p build/run
# The library reads its installation data (the section model files and the
# profile atlases) from the working directory: the run folder links to the
# files the build wrote into build/data, so the run uses them rather than the
# built-in tables.
for f in build/data/*; do
  ln -sfn "../data/$(basename "$f")" "build/run/$(basename "$f")"
done
status=0
(cd build/run && ../bin/halvorine2 run "${args[@]}") || status=$?
echo "halvorine2 run finished with result code $status (flow files in build/run)"
