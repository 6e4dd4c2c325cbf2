#!/usr/bin/env bash
# A 32-bit Wine for machines whose kernel cannot start i386 programs itself.
#
# The i686 DLL is the product existing hosts load, so its tests must run. Where
# the kernel has no 32-bit emulation and no wine32:i386 can be installed, an
# i386 Debian root is built once, run under qemu-user through binfmt_misc, and
# kept outside the repository (VC15_WINE32_CACHE, default
# /var/cache/vc15-wine32) so later runs cost seconds.
#
#   wine32-chroot.sh provision          build or check the cached root (root only)
#   wine32-chroot.sh wine ARGS...       run the root's 32-bit wine in the caller's directory
#   wine32-chroot.sh wineserver ARGS... run the root's wineserver
#
# Every mount the root needs (/proc, /dev, /sys, /tmp, the host's own top-level
# directories, VC15_WINE32_BIND, the mingw-w64 runtime) is made in
# a private mount namespace that dies with the process: nothing is ever left
# mounted inside the cache, so deleting the cache can never reach through a
# bind mount into the host's files.
set -uo pipefail

CACHE=${VC15_WINE32_CACHE:-/var/cache/vc15-wine32}
ROOT=$CACHE/root
READY=$ROOT/.vc15-ready
QEMU=/usr/bin/qemu-i386
# Packages inside the root: Wine and the X/GL libraries a window needs.
ROOT_PACKAGES=(wine32 libxrandr2 libxrender1 libxi6 libxcursor1 libxinerama1 libxcomposite1
               libxfixes3 libxxf86vm1 libgl1 libgl1-mesa-dri)

log() { echo "wine32-chroot: $*" >&2; }

# The Debian registry the machine's own apt uses (first deb URI).
debian_mirror() {
    local uri=""
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        uri=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources)
    fi
    if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
        uri=$(awk '$1 == "deb" && $0 !~ /security/ {for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) {print $i; exit}}' \
            /etc/apt/sources.list)
    fi
    echo "${uri:-http://deb.debian.org/debian}"
}

qemu_major() {
    [ -x "$QEMU" ] || { echo 0; return; }
    "$QEMU" --version 2>/dev/null | sed -nE 's/.*version ([0-9]+)\..*/\1/p' | head -1
}

# qemu-user 8 or later: older ones ignore MAP_FIXED_NOREPLACE and take about a
# minute to start each Wine process. Bookworm's backports have a static build,
# which a binfmt entry with the F flag can use inside the chroot.
install_qemu() {
    local major
    major=$(qemu_major)
    [ "${major:-0}" -ge 8 ] && return 0
    local apt_dir=$CACHE/apt
    mkdir -p "$apt_dir/lists/partial"
    echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $(debian_mirror) bookworm-backports main" \
        >"$apt_dir/sources.list"
    local opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=-"
                -o "Dir::State::Lists=$apt_dir/lists")
    log "installing qemu-user from bookworm-backports"
    DEBIAN_FRONTEND=noninteractive apt-get "${opts[@]}" update -qq &&
        DEBIAN_FRONTEND=noninteractive apt-get "${opts[@]}" install -y -qq --no-install-recommends \
            -t bookworm-backports qemu-user >/dev/null || return 1
    major=$(qemu_major)
    [ "${major:-0}" -ge 8 ] || { log "qemu-user $major is too old"; return 1; }
}

# i386 ELF files run through qemu. The F flag opens the interpreter now, so it
# works inside the chroot where /usr/bin/qemu-i386 does not exist.
register_binfmt() {
    local dir=/proc/sys/fs/binfmt_misc
    if [ ! -f "$dir/register" ]; then
        mount -t binfmt_misc binfmt_misc "$dir" 2>/dev/null || { log "cannot mount binfmt_misc"; return 1; }
    fi
    local entry=$dir/vc15-i386
    if [ -f "$entry" ]; then
        grep -q "interpreter $QEMU" "$entry" && grep -q '^flags: .*F' "$entry" && return 0
        echo -1 >"$entry"
    fi
    # An existing enabled i386 handler with another interpreter would take
    # precedence over ours only if registered first; that is fine if it works.
    printf '%s' ':vc15-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$QEMU"':F' \
        >"$dir/register" 2>/dev/null || { log "cannot register the i386 binfmt entry"; return 1; }
}

# Removes a half-built root. Mounts are only ever made in private namespaces,
# but a root left by another tool could still have some: refuse to delete
# anything under which something is mounted.
remove_tree() {
    local dir=$1
    [ -e "$dir" ] || return 0
    if awk -v d="$dir" '$5 == d || index($5, d "/") == 1 {found = 1} END {exit !found}' /proc/self/mountinfo; then
        log "$dir has mounts under it; not deleting it"
        return 1
    fi
    rm -rf --one-file-system "$dir"
}

build_root() {
    local new=$CACHE/root.new
    remove_tree "$new" || return 1
    command -v debootstrap >/dev/null || {
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null || return 1
    }
    log "building the i386 root (debootstrap, several minutes)"
    # debootstrap mounts /proc and /sys in the target: a private namespace
    # drops them even if this run is interrupted.
    if ! unshare -m --propagation private debootstrap --arch=i386 --variant=minbase bookworm "$new" \
        "$(debian_mirror)" >"$CACHE/debootstrap.log" 2>&1; then
        log "debootstrap failed; see $CACHE/debootstrap.log"
        tail -5 "$CACHE/debootstrap.log" >&2
        return 1
    fi
    log "installing Wine in the i386 root"
    if ! unshare -m --propagation private sh -c '
        mount -t proc proc "$1/proc" && mount --rbind /dev "$1/dev" && mount --rbind /sys "$1/sys" &&
        cp /etc/resolv.conf "$1/etc/resolv.conf" 2>/dev/null
        shift_root=$1; shift
        chroot "$shift_root" env DEBIAN_FRONTEND=noninteractive sh -c "apt-get update -qq && apt-get install -y -qq --no-install-recommends $*"
    ' sh "$new" "${ROOT_PACKAGES[@]}" >"$CACHE/apt-root.log" 2>&1; then
        log "installing Wine in the root failed; see $CACHE/apt-root.log"
        tail -5 "$CACHE/apt-root.log" >&2
        return 1
    fi
    [ -x "$new/usr/lib/wine/wine" ] || { log "no /usr/lib/wine/wine in the root"; return 1; }
    touch "$new/.vc15-ready"
    remove_tree "$ROOT" || return 1
    mv "$new" "$ROOT"
}

provision() {
    if [ "$(id -u)" -ne 0 ]; then
        log "not root: cannot provision a 32-bit Wine"
        return 1
    fi
    mkdir -p "$CACHE" || return 1
    (
        flock 9
        install_qemu || exit 1
        register_binfmt || exit 1
        [ -f "$READY" ] || build_root || exit 1
        # The root must actually run an i386 program.
        chroot "$ROOT" /bin/true || { log "the i386 root does not run"; exit 1; }
    ) 9>"$CACHE/lock"
}

# run_in_root PROGRAM ARGS...: PROGRAM (a path inside the root) with the
# caller's directory and environment.
run_in_root() {
    local program=$1
    shift
    [ -f "$READY" ] || { log "no 32-bit Wine root at $ROOT (run: $0 provision)"; exit 127; }
    # The same view for every process, whatever its directory: the
    # wineserver, started by one process, opens files for all of them. So
    # every top-level directory that is not the operating system's own (the
    # project, the prefix under $HOME, /work, /srv...) is bound, plus
    # VC15_WINE32_BIND (colon-separated) and the mingw-w64 runtime.
    local binds=() dir
    for dir in /*; do
        case $dir in
            /bin | /boot | /dev | /etc | /lib | /lib32 | /lib64 | /libx32 | /proc | /run | /sbin | /sys | /usr | /var | /tmp) ;;
            *) [ -d "$dir" ] && [ ! -L "$dir" ] && binds+=("$dir") ;;
        esac
    done
    local IFS_save=$IFS
    IFS=:
    # shellcheck disable=SC2206
    binds+=(${VC15_WINE32_BIND:-})
    IFS=$IFS_save
    for dir in /usr/lib/gcc/i686-w64-mingw32 /usr/i686-w64-mingw32; do
        [ -d "$dir" ] && binds+=("$dir")
    done
    exec unshare -m --propagation private sh -c '
        root=$1; program=$2; shift 2
        mount -t proc proc "$root/proc" && mount --rbind /dev "$root/dev" && mount --rbind /sys "$root/sys" &&
            mount --bind /tmp "$root/tmp" || exit 126
        while [ "$1" != "--" ]; do
            if [ -d "$1" ]; then mkdir -p "$root$1" && mount --bind "$1" "$root$1" || exit 126; fi
            shift
        done
        shift
        exec chroot "$root" sh -c '"'"'cd "$1" 2>/dev/null || cd /; shift; exec "$@"'"'"' sh "$PWD" "$program" "$@"
    ' sh "$ROOT" "$program" "${binds[@]}" -- "$@"
}

case "${1:-}" in
    provision) provision ;;
    wine) shift; run_in_root /usr/lib/wine/wine "$@" ;;
    wineserver) shift; run_in_root /usr/lib/wine/wineserver "$@" ;;
    *) echo "usage: $0 provision | wine ARGS... | wineserver ARGS..." >&2; exit 2 ;;
esac
