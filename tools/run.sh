#!/usr/bin/env bash
# Builds the library, the plug-ins and the command-line host (no tests, no
# benchmarks) and runs the host on the shipped example case.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ensure_packages.sh
cmake -S . -B build
cmake --build build -j"$(nproc)" --target halvorine2_cli h2_plugins
status=0
build/bin/halvorine2 run "${@:-examples/air_turbine_stage.dat}" || status=$?
echo "halvorine2 run finished with result code $status"
