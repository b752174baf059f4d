#!/usr/bin/env bash
# Builds Halvorine2 and runs the command-line host on the shipped example case.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ensure_packages.sh
cmake -S . -B build
cmake --build build -j"$(nproc)"
status=0
build/bin/halvorine2 run "${@:-examples/air_turbine_stage.dat}" || status=$?
echo "halvorine2 run finished with result code $status"
