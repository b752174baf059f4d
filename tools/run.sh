#!/usr/bin/env bash
# Builds the library, the plug-ins and the command-line host (no tests, no
# benchmarks) and runs the host on the shipped example case, or on the case
# files given (paths relative to the folder the script is called from). The
# exit code is the run's result code.
set -euo pipefail
# Case paths are taken from the caller's folder, before moving to the root.
args=()
for a in "${@:-$(dirname "$0")/../examples/air_turbine_stage.dat}"; do
  if [ -e "$a" ]; then args+=("$(realpath "$a")"); else args+=("$a"); fi
done
cd "$(dirname "$0")/.."
tools/ensure_packages.sh
# The same configuration as tools/test.sh's GCC build: one set of objects.
tools/configure.sh build -DH2_WERROR=ON
cmake --build build -j"$(nproc)" --target halvorine2_cli h2_plugins h2_model_files sample_atlas
# The run writes its flow files ("expdata.*") into its working directory,
# build/run, so that the source tree stays clean; those of an earlier run are
# removed first, so that what is there belongs to this run. The library finds
# its section models and atlases in build/data by itself.
mkdir -p build/run
rm -f build/run/expdata*
status=0
(cd build/run && ../bin/halvorine2 run "${args[@]}") || status=$?
echo "halvorine2 run finished with result code $status (flow files in build/run)"
exit "$status"
