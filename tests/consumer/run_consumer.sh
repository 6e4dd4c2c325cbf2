#!/usr/bin/env bash
# Installs the built library into a temporary prefix, then builds and runs
# hosts against the installed copy only:
#   - the consumer project, finding the library with find_package and with
#     pkg-config;
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
    "$scratch/build/consumer_cmake"
    "$scratch/build/consumer_pkgconfig"
    # Both found the installed copy, not the build tree.
    for exe in consumer_cmake consumer_pkgconfig; do
        deps=$(ldd "$scratch/build/$exe")
        if ! grep -q "=> $(realpath "$prefix/lib")/libVexaCanvas15.so.1" <<<"$deps" &&
            ! grep -q "=> $prefix/lib/libVexaCanvas15.so.1" <<<"$deps"; then
            echo "$exe does not use the installed library"
            exit 1
        fi
    done
    echo "consumer: installed package found through CMake and pkg-config"
    exit 0
fi

# Windows: the DLL is found only in the installed bin/ directory.
for exe in consumer_cmake consumer_pkgconfig; do
    out=$("${emulator[0]}" --path "$prefix/bin" "$scratch/build/$exe.exe")
    echo "$out"
    grep -q "consumer: ok" <<<"$out"
done

# A host built for the Microsoft C++ ABI against the installed import library.
clang=$(command -v clang-14 || command -v clang)
lldlink=$(command -v lld-link-14 || command -v lld-link)
dlltool=$(command -v llvm-dlltool-14 || command -v llvm-dlltool)
if [ ! -f "$prefix/lib/VexaCanvas15.lib" ]; then
    echo "VexaCanvas15.lib is not installed"
    exit 1
fi
# PE machine field: 8664 for x86_64, 014c for i686.
pe_off=$(od -An -tu4 -j60 -N4 "$prefix/bin/VexaCanvas15.dll" | tr -d ' ')
if [ "$(od -An -tx2 -j$((pe_off + 4)) -N2 "$prefix/bin/VexaCanvas15.dll" | tr -d ' ')" = "8664" ]; then
    triple=x86_64-pc-windows-msvc machine=i386:x86-64 defs=() k32=kernel32_x64.def mingw=x86_64-w64-mingw32
else
    triple=i686-pc-windows-msvc machine=i386 defs=(-D_X86_=1) k32=kernel32_x86.def mingw=i686-w64-mingw32
fi
hp="$tests/host_program"
mkdir -p "$scratch/msvc"
"$dlltool" -m "$machine" -d "$hp/msvcrt.def" -l "$scratch/msvc/msvcrt.lib"
"$dlltool" -m "$machine" -k -d "$hp/$k32" -l "$scratch/msvc/kernel32.lib"
"$clang" --target=$triple -fgnuc-version=12 "${defs[@]}" -D__USE_MINGW_ANSI_STDIO=0 -DVC15_HOST_NO_CRT -std=c++20 -O1 \
    -fno-exceptions -fno-rtti -fno-stack-protector -mno-stack-arg-probe -isystem "$hp/msvc_shim" \
    -isystem /usr/$mingw/include -I"$prefix/include" -c "$hp/host_program.cpp" -o "$scratch/msvc/host.obj"
"$lldlink" -nologo -nodefaultlib -entry:vc15_host_start -subsystem:console -out:"$scratch/msvc/msvc_host.exe" \
    "$scratch/msvc/host.obj" "$prefix/lib/VexaCanvas15.lib" "$scratch/msvc/msvcrt.lib" "$scratch/msvc/kernel32.lib"
out=$("${emulator[0]}" --path "$prefix/bin" "$scratch/msvc/msvc_host.exe")
echo "$out"
grep -q "host program: [0-9]* checks, 0 failed" <<<"$out"
echo "consumer: installed package used through find_package, pkg-config and both import libraries"
