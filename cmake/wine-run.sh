#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest and other build steps.
#
# - One prefix per user (VC15_WINEPREFIX, default $HOME/.cache/vc15-wine),
#   created once under a lock so parallel tests do not race to create it.
# - WINEDEBUG=-all keeps Wine's own diagnostics out of the test output.
# - A persistent wineserver is started detached from our output pipes, and
#   the program's output goes through a temporary file: a wineserver (or
#   Wine service process) that inherits ctest's pipe would make ctest wait
#   seconds for every test after the program has already finished.
#
# - 32-bit programs run in a 32-bit Wine with a prefix of their own
#   ($VC15_WINEPREFIX-32): the machine's own, or the emulated i386 root of
#   cmake/wine32-chroot.sh (VC15_WINE32=auto|native|chroot). VC15_CPU=pentium3
#   makes the emulated processor report no SSE2 (exit 77, a skip, without
#   the emulated Wine).
#
# Usage: wine-run.sh [--path DIR]... program.exe [args...]
# Each --path DIR (the build tree's DLL directory) and the mingw-w64 runtime
# DLL directories of the program's architecture are searched for DLLs.
set -u
search=()
while [ $# -ge 2 ] && [ "$1" = "--path" ]; do
    search+=("$2")
    shift 2
done
if [ $# -lt 1 ]; then
    echo "usage: $0 [--path DIR]... program.exe [args...]" >&2
    exit 2
fi

export WINEDEBUG=-all
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

pe_machine() {
    local off
    off=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
    [ -n "$off" ] && od -An -tx2 -j$((off + 4)) -N2 "$1" 2>/dev/null | tr -d ' '
}
machine=$([ -f "$1" ] && pe_machine "$1")

prefix="${VC15_WINEPREFIX:-${HOME:-/tmp}/.cache/vc15-wine}"
if [ "$machine" = "014c" ]; then
    # A 32-bit program needs a 32-bit Wine: the machine's own, or the cached
    # i386 root under qemu-user (cmake/wine32-chroot.sh). Without either,
    # Wine 8 tries its experimental WoW64 mode, fails to start the program
    # and still exits with 0, which would let any test pass unseen: refuse.
    triple=i686-w64-mingw32
    export WINEPREFIX="$prefix-32"
    export WINEARCH=win32
    mode=${VC15_WINE32:-auto}
    if [ "$mode" = auto ]; then
        if [ -x /usr/lib/wine/wine ]; then mode=native
        elif [ -f "${VC15_WINE32_CACHE:-/var/cache/vc15-wine32}/root/.vc15-ready" ]; then mode=chroot
        else mode=none; fi
    fi
    case $mode in
        native) WINE=(/usr/lib/wine/wine); WINESERVER=(/usr/lib/wine/wineserver) ;;
        chroot)
            WINE=("$here/wine32-chroot.sh" wine)
            WINESERVER=("$here/wine32-chroot.sh" wineserver)
            # The project and the DLL directories, wherever the checkout lies
            # (the root sees the host's own top-level folders anyway).
            bind="$(dirname "$here")"
            for dir in "${search[@]}"; do bind="$bind:$dir"; done
            export VC15_WINE32_BIND="$bind${VC15_WINE32_BIND:+:$VC15_WINE32_BIND}"
            # Marks the processor as emulated: qemu reads a whole 32-byte register
            # for a 16-byte AVX2 lane insert, which a test against guard pages meets.
            export VC15_EMULATED_CPU=qemu
            ;;
        *)
            echo "wine-run.sh: $1 is a 32-bit program and this machine has no 32-bit Wine" >&2
            exit 125
            ;;
    esac
    # VC15_CPU names an older processor to emulate; only qemu can.
    if [ -n "${VC15_CPU:-}" ]; then
        if [ "$mode" != chroot ]; then
            echo "wine-run.sh: VC15_CPU=$VC15_CPU needs the emulated 32-bit Wine; skipped" >&2
            exit 77
        fi
        export QEMU_CPU=$VC15_CPU
    fi
else
    triple=x86_64-w64-mingw32
    export WINEPREFIX="$prefix"
    WINE=()
    for candidate in ${VC15_WINE:-} /usr/lib/wine/wine64 /usr/bin/wine64 /usr/lib/wine/wine /usr/bin/wine; do
        if [ -x "$candidate" ]; then WINE=("$candidate"); break; fi
    done
    WINESERVER=()
    for candidate in ${VC15_WINESERVER:-} /usr/lib/wine/wineserver /usr/lib/wine/wineserver64 /usr/bin/wineserver; do
        if [ -x "$candidate" ]; then WINESERVER=("$candidate"); break; fi
    done
    if [ ${#WINE[@]} -eq 0 ] || [ ${#WINESERVER[@]} -eq 0 ]; then
        echo "wine-run.sh: Wine is not installed (apt-get install wine wine64)" >&2
        exit 127
    fi
fi

for dir in /usr/lib/gcc/$triple/*-posix /usr/$triple/lib; do
    [ -d "$dir" ] && search+=("$dir")
done
winepath=""
for dir in "${search[@]}"; do
    winepath="${winepath:+$winepath;}Z:$(echo "$dir" | sed 's|/|\\|g')"
done
export WINEPATH="${winepath}${WINEPATH:+;$WINEPATH}"

mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "${WINE[@]}" wineboot -i >/dev/null 2>&1 </dev/null 9>&-
        "${WINESERVER[@]}" -w 9>&-
    fi
    # Keep the server for 2 minutes after the last client, detached from our
    # pipes and from the lock (a daemon holding fd 9 would keep it locked).
    "${WINESERVER[@]}" -p120 </dev/null >/dev/null 2>&1 9>&- || true
) 9>"$WINEPREFIX.lock"

out="$(mktemp "${TMPDIR:-/tmp}/vc15-wine.XXXXXX")"
trap 'rm -f "$out"' EXIT
"${WINE[@]}" "$@" </dev/null >"$out" 2>&1
rc=$?
cat "$out"
exit $rc
