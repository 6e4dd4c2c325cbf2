#!/usr/bin/env bash
# Installs the built library into a temporary prefix, then builds and runs
# hosts against the installed copy only:
#   - the consumer project, finding the library with find_package and with
#     pkg-config (WebAssembly: the modules run under node);
#   - for a Windows build also the host program for the Microsoft C++ ABI
#     (clang + lld-link) against the installed VexaCanvas15.lib.
#
#   run_consumer.sh <library build dir> <tests source dir> <scratch dir> <generator>
#                   [<toolchain file> <emulator...>]
set -euo pipefail
build="$1"; tests="$2"; scratch="$3"; generator="$4"
shift 4
toolchain="${1:-}"
[ $# -gt 0 ] && shift
emulator=("$@")

rm -rf "$scratch"
prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"  # nothing from the build machine's own .pc files
args=(-G "$generator" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release)
# A cross toolchain searches only below its roots: the prefix becomes one.
[ -n "$toolchain" ] && args+=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_FIND_ROOT_PATH="$prefix")
cmake -S "$tests/consumer" -B "$scratch/build" "${args[@]}" >/dev/null
cmake --build "$scratch/build" >/dev/null

if [ -z "$toolchain" ]; then
    # Also built by hand as the guide says (pkg-config, and an rpath for a prefix the loader does not know).
    g++ -std=c++20 "$tests/consumer/main.cpp" $(pkg-config --cflags --libs vexacanvas15) \
        -Wl,-rpath,"$(pkg-config --variable=libdir vexacanvas15)" -o "$scratch/build/consumer_by_hand"
    "$scratch/build/consumer_by_hand"
    "$scratch/build/consumer_cmake"
    "$scratch/build/consumer_pkgconfig"
    # Both found the installed copy, not the build tree.
    for exe in consumer_cmake consumer_pkgconfig consumer_by_hand; do
        found=$(ldd "$scratch/build/$exe" | sed -nE 's/.*libVexaCanvas15\.so\.1 => (\S+) .*/\1/p')
        if [ -z "$found" ] || [ "$(realpath "$found")" != "$(realpath "$prefix/lib/libVexaCanvas15.so.1")" ]; then
            echo "$exe does not use the installed library"
            exit 1
        fi
    done
    echo "consumer: installed package found through CMake and pkg-config"
    exit 0
fi

# WebAssembly: the archive is linked into each host's module, which runs
# under the emulator (node).
if [ -f "$scratch/build/consumer_cmake.js" ]; then
    for exe in consumer_cmake consumer_pkgconfig; do
        out=$("${emulator[@]}" "$scratch/build/$exe.js")
        echo "$out"
        grep -q "consumer: ok" <<<"$out"
    done
    echo "consumer: installed archive found through CMake and pkg-config"
    exit 0
fi

# Linux on another processor: under the emulator, the library found only in
# the installed lib/ directory.
if [ ! -f "$scratch/build/consumer_cmake.exe" ]; then
    for exe in consumer_cmake consumer_pkgconfig; do
        out=$(LD_LIBRARY_PATH="$prefix/lib" "${emulator[@]}" "$scratch/build/$exe")
        echo "$out"
        grep -q "consumer: ok" <<<"$out"
    done
    exit 0
fi

# Windows: the DLL is found only in the installed bin/ directory.
for exe in consumer_cmake consumer_pkgconfig; do
    out=$("${emulator[0]}" --path "$prefix/bin" "$scratch/build/$exe.exe")
    echo "$out"
    grep -q "consumer: ok" <<<"$out"
done

# A host built for the Microsoft C++ ABI against the installed import library.
if [ ! -f "$prefix/lib/VexaCanvas15.lib" ]; then
    echo "VexaCanvas15.lib is not installed"
    exit 1
fi
mkdir -p "$scratch/msvc"
bash "$tests/host_program/build_msvc_host.sh" "$prefix/bin/VexaCanvas15.dll" "$prefix/include" \
    "$prefix/lib/VexaCanvas15.lib" "$scratch/msvc/msvc_host.exe"
out=$("${emulator[0]}" --path "$prefix/bin" "$scratch/msvc/msvc_host.exe")
echo "$out"
grep -q "host program: [0-9]* checks, 0 failed" <<<"$out"
echo "consumer: installed package used through find_package, pkg-config and both import libraries"
