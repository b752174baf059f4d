#!/bin/sh
# Installs the build into a temporary prefix, moves the prefix elsewhere (the
# installation must not name its own location), deletes nothing of the build
# but runs everything from the moved prefix only: the installed host on an
# example with no ModelBase and no data files beside it, and a consumer built
# through find_package and through pkg-config.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -eu
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/first" > "$work/install.log"
mv "$work/first" "$work/moved"
prefix=$work/moved
libdir=$(dirname "$(find "$prefix" -name 'libhalvorine2.so' | head -n 1)")

# The library carries its major version in its SONAME.
soname=$(objdump -p "$libdir/libhalvorine2.so" | awk '/SONAME/ {print $2}')
major=$(sed -n 's/^#define HALVORINE2_VERSION_MAJOR \([0-9]*\)$/\1/p' "$prefix/include/halvorine2/version.h")
[ "$soname" = "libhalvorine2.so.$major" ] || { echo "SONAME $soname, expected libhalvorine2.so.$major"; exit 1; }
[ -n "$(ls "$prefix"/lib*/halvorine2/plugins/flxb.so "$prefix"/lib/*/halvorine2/plugins/flxb.so 2>/dev/null)" ] ||
  { echo "no plug-ins installed"; exit 1; }
[ -f "$prefix/share/halvorine2/model_w.bin" ] && [ -f "$prefix/share/halvorine2/ATLASES/PDatlasS.atl" ] ||
  { echo "no installation data"; exit 1; }

mkdir "$work/run"
cd "$work/run"
cp "$source/examples/air_turbine_stage.dat" case.dat
# The installed host: its run path finds the library, the library its plug-ins and data.
env -u LD_LIBRARY_PATH -u HALVORINE2_PLUGIN_DIR -u HALVORINE2_DATA_DIR "$prefix/bin/halvorine2" run case.dat > host.txt
grep -q "Section models: rotor model_w.bin" host.txt || { echo "installed data not found"; exit 1; }
"$prefix/bin/halvorine2" --version | grep -q "^halvorine2 " || exit 1

# A consumer through the CMake package.
cmake -S "$source/tests/install/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" > "$work/consumer.log"
cmake --build "$work/consumer" > "$work/consumer-build.log"
"$work/consumer/consumer" case.dat > package-run.txt
grep '^version ' package-run.txt > package.txt
grep -q "^version .* result 0 G 3.0" package.txt || { cat package-run.txt; exit 1; }

# The same consumer through pkg-config.
export PKG_CONFIG_PATH="$libdir/pkgconfig"
cc -std=c11 $(pkg-config --cflags halvorine2) "$source/tests/install/consumer/consumer.c" -o pkgconfig_consumer \
  $(pkg-config --libs halvorine2) -Wl,-rpath,"$(pkg-config --variable=libdir halvorine2)"
./pkgconfig_consumer case.dat > pkgconfig-run.txt
grep '^version ' pkgconfig-run.txt > pkgconfig.txt
cmp package.txt pkgconfig.txt
echo "installed, moved and used: $(cat pkgconfig.txt)"
