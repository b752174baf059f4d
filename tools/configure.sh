#!/usr/bin/env bash
# Configures a build folder once, with the flags every script shares for it,
# so that tools/run.sh and tools/test.sh build the same objects and neither
# makes the other recompile. A folder that is already configured is left to
# `cmake --build`, which reconfigures by itself when a CMakeLists changes.
# Usage: tools/configure.sh BUILD_DIR [CMAKE_OPTION...] (from the repository root)
set -euo pipefail
dir=$1
shift
if [ -f "$dir/CMakeCache.txt" ]; then
  # Only an option the cache does not already hold is worth CMake's checks
  # (seconds); with every -DNAME=VALUE in place nothing runs.
  for option in "$@"; do
    entry=${option#-D}
    name=${entry%%=*}
    value=${entry#*=}
    if [ "$entry" = "$option" ] || ! grep -qx "$name:[A-Z]*=$value" "$dir/CMakeCache.txt"; then
      cmake -S . -B "$dir" "$@" > /dev/null
      break
    fi
  done
  exit 0
fi
# Ninja starts a no-op build in milliseconds where Make takes seconds.
generator=()
command -v ninja > /dev/null && generator=(-G Ninja)
cmake -S . -B "$dir" "${generator[@]}" "$@"
