#!/usr/bin/env bash
# Builds Halvorine2 and runs the command-line host on the shipped example.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ensure_packages.sh
cmake -S . -B build
cmake --build build -j"$(nproc)"
build/bin/halvorine2 "${@:---units}"
