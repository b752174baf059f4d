#!/usr/bin/env bash
# The thread tests under ThreadSanitizer: a separate Debug build in build-tsan
# (the library, the plug-ins and the case tests compiled with
# -fsanitize=thread), then the tests that run cases on several threads at
# once, and the predesigns on several host threads. Any report fails the run.
# About eight CPU-minutes on a fresh build dir.
#   tools/tsan.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-tsan}
jobs=${JOBS:-3}
flags="-fsanitize=thread -fno-omit-frame-pointer -g"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DH2_BENCH=OFF -DH2_WERROR=ON \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=thread >/dev/null
cmake --build "$build" -j"$jobs" --target h2_case_tests h2_solver_predesign_search_tests h2_plugins
export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1 exitcode=66 second_deadlock_stack=1}"
"$build"/bin/h2_case_tests \
  --gtest_filter='RunDriver*:RunDriverFiles*:Threading*:ConsoleColour*:ThreadBlocks*'
# Predesigns on two host threads at once, and a search cancelled from another thread.
(cd "$build"/tests && ../bin/h2_solver_predesign_search_tests \
  --gtest_filter='HostThreads*:Search.AnAbortAfterGoodPointsRebuildsTheBestOfThem')
