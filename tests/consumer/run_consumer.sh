#!/usr/bin/env bash
# Installs the built library into a temporary prefix and builds and runs the
# consumer project against it.
#   run_consumer.sh <library build dir> <consumer source dir> <scratch dir> [generator]
set -eu
build="$1"; source="$2"; scratch="$3"; generator="${4:-Ninja}"
rm -rf "$scratch"
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
export PKG_CONFIG_PATH="$scratch/prefix/lib/pkgconfig"
cmake -S "$source" -B "$scratch/build" -G "$generator" -DCMAKE_PREFIX_PATH="$scratch/prefix" >/dev/null
cmake --build "$scratch/build" >/dev/null
"$scratch/build/consumer_cmake"
"$scratch/build/consumer_pkgconfig"
# Both found the installed copy, not the build tree.
ldd "$scratch/build/consumer_cmake" | grep -q "$scratch/prefix/lib/libVexaCanvas15.so.1"
ldd "$scratch/build/consumer_pkgconfig" | grep -q "$scratch/prefix/lib/libVexaCanvas15.so.1"
echo "consumer: installed package found through CMake and pkg-config"
