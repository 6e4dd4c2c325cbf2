#!/usr/bin/env bash
# Runs a command (normally: wine-run.sh program.exe ...) with an X server of
# its own. Picks a free display number, starts Xvfb on it (screen
# VC15_XVFB_SCREEN, default 640x480x24), runs the command with DISPLAY set
# and stops the server afterwards.
#
# When no server can be started the command still runs, with
# VC15_DISPLAY_UNAVAILABLE set to the reason, so its tests skip with that
# message. Wine runs in a prefix of its own (VC15_WINEPREFIX with "-display"
# and the display number appended, so that runs from two checkouts at once
# never share one), whose wineservers (64- and 32-bit) are stopped at the
# end, so no Wine process keeps a connection to a server that is gone.
set -u
if [ $# -lt 1 ]; then
    echo "usage: $0 command [args...]" >&2
    exit 2
fi

base="${VC15_WINEPREFIX:-${HOME:-/tmp}/.cache/vc15-wine}"
export VC15_WINEPREFIX="${VC15_DISPLAY_WINEPREFIX:-$base-display}"
cmake_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../cmake" && pwd)"

xvfb_pid=""
log="$(mktemp "${TMPDIR:-/tmp}/vc15-xvfb.XXXXXX")"
cleanup() {
    for server in /usr/lib/wine/wineserver /usr/lib/wine/wineserver64 /usr/bin/wineserver; do
        if [ -x "$server" ]; then
            WINEPREFIX="$VC15_WINEPREFIX" "$server" -k >/dev/null 2>&1 || true
            break
        fi
    done
    # The 32-bit programs' prefix, served by the 32-bit Wine.
    if [ -d "$VC15_WINEPREFIX-32" ]; then
        if [ -x /usr/lib/wine/wine ]; then
            WINEPREFIX="$VC15_WINEPREFIX-32" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
        elif [ -x "$cmake_dir/wine32-chroot.sh" ]; then
            WINEPREFIX="$VC15_WINEPREFIX-32" "$cmake_dir/wine32-chroot.sh" wineserver -k >/dev/null 2>&1 || true
        fi
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -f "$log"
}
trap cleanup EXIT

reason=""
if ! command -v Xvfb >/dev/null 2>&1; then
    reason="Xvfb is not installed (apt-get install xvfb)"
else
    reason="no free display number between :90 and :139 accepted an Xvfb server"
    for n in $(seq 90 139); do
        [ -e "/tmp/.X$n-lock" ] && continue
        [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 "${VC15_XVFB_SCREEN:-640x480x24}" -nolisten tcp >"$log" 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 1 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
            export DISPLAY=":$n"
            export VC15_XVFB_DISPLAY=":$n"
            [ -z "${VC15_DISPLAY_WINEPREFIX:-}" ] && export VC15_WINEPREFIX="$base-display$n"
            reason=""
            break
        fi
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
        xvfb_pid=""
        reason="Xvfb could not start: $(tail -n 1 "$log")"
    done
fi
if [ -n "$reason" ]; then
    export VC15_DISPLAY_UNAVAILABLE="$reason"
    unset DISPLAY
fi

"$@"
exit $?
