#!/usr/bin/env bash
# Builds the host program for the Microsoft C++ ABI with clang and lld-link,
# without any C++ runtime, against a VexaCanvas15.lib. The DLL's PE machine
# field decides 32 or 64 bits. The Windows SDK headers are not available: the
# mingw-w64 ones serve, with their GCC-style attributes enabled and their own
# printf wrappers off.
#
#   build_msvc_host.sh <VexaCanvas15.dll> <include dir> <VexaCanvas15.lib> <output .exe>
set -euo pipefail
dll=$1 include=$2 implib=$3 exe=$4
clang=$(command -v clang-14 || command -v clang)
lldlink=$(command -v lld-link-14 || command -v lld-link)
dlltool=$(command -v llvm-dlltool-14 || command -v llvm-dlltool)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

pe_off=$(od -An -tu4 -j60 -N4 "$dll" | tr -d ' ')
if [ "$(od -An -tx2 -j$((pe_off + 4)) -N2 "$dll" | tr -d ' ')" = "8664" ]; then
    triple=x86_64-pc-windows-msvc machine=i386:x86-64 defs=() k32=kernel32_x64.def mingw=x86_64-w64-mingw32
else
    triple=i686-pc-windows-msvc machine=i386 defs=(-D_X86_=1) k32=kernel32_x86.def mingw=i686-w64-mingw32
fi
work="$exe.d"
mkdir -p "$work"
"$dlltool" -m "$machine" -d "$here/msvcrt.def" -l "$work/msvcrt.lib"
"$dlltool" -m "$machine" -k -d "$here/$k32" -l "$work/kernel32.lib"
"$clang" --target=$triple -fgnuc-version=12 "${defs[@]}" -D__USE_MINGW_ANSI_STDIO=0 -DVC15_HOST_NO_CRT -std=c++20 \
    -O1 -Wall -Wextra -Werror -fno-exceptions -fno-rtti -fno-stack-protector -mno-stack-arg-probe \
    -isystem "$here/msvc_shim" -isystem "/usr/$mingw/include" -I"$include" -c "$here/host_program.cpp" \
    -o "$work/host_program.obj"
"$lldlink" -nologo -nodefaultlib -entry:vc15_host_start -subsystem:console -out:"$exe" "$work/host_program.obj" \
    "$implib" "$work/msvcrt.lib" "$work/kernel32.lib"
