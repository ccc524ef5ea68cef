#!/usr/bin/env bash
# Runs one of our commands in a minimal Debian root of the given release, on a copy of this
# checkout, as a newcomer would meet it on a fresh machine:
#
#   bash scripts/in-debian.sh 13 bash scripts/test.sh
#   bash scripts/in-debian.sh 12 bash scripts/start.sh     (the window runs under xvfb-run there)
#
# The command runs in /home/builder/varnell as the user `builder`, who has sudo (as a developer
# without root has); `--as-root` before the release runs it as root instead. Environment: CI,
# VARNELL_* and QT_* variables are passed through; nothing else.
#
# The root lives in $VARNELL_ROOTS_DIR/debian<release> (default /var/cache/varnell-roots) and is
# reused while it is sound: made by this version of the script's recipe, for the same
# scripts/setup.sh (a changed package list starts again from the bare release, so that list is
# always proven on a fresh root), with a clean package database. Otherwise it is made anew with
# debootstrap (--variant=minbase, then git, sudo and ca-certificates), from a kept tarball of the
# bare release when there is one. proc, dev and a tmpfs on /tmp are mounted in a mount namespace
# of the run's own: they are gone when the run ends, however it ends, and never show outside it.
# The run has a process namespace of its own too: it sees only its own processes, and whatever it
# leaves running (a window, a server) ends with it.
# Needs root (or sudo), debootstrap and a Debian mirror; the exit status is the command's.
set -euo pipefail

if [ "${1:-}" = --as-root ]; then
    as_root=1
    shift
else
    as_root=0
fi
release=${1:?usage: in-debian.sh [--as-root] <12|13> COMMAND [ARGUMENT...]}
shift
[ $# -gt 0 ] || { echo "usage: in-debian.sh [--as-root] <12|13> COMMAND [ARGUMENT...]" >&2; exit 2; }
case $release in
    12) suite=bookworm ;;
    13) suite=trixie ;;
    *) echo "in-debian: release 12 or 13, not '$release'" >&2; exit 2 ;;
esac

if [ "$(id -u)" -ne 0 ]; then
    again=(bash "$0")
    [ $as_root = 1 ] && again+=(--as-root)
    exec sudo --preserve-env=CI,VARNELL_ROOTS_DIR,VARNELL_DEBIAN_MIRROR "${again[@]}" "$release" "$@"
fi

checkout=$(cd "$(dirname "$0")/.." && pwd)
roots=${VARNELL_ROOTS_DIR:-/var/cache/varnell-roots}
root=$roots/debian$release
bare=$roots/debian$release-minbase.tar
# The Debian archive this machine's own apt reads (deb822 sources first, then one-line ones),
# so that no address is kept here; VARNELL_DEBIAN_MIRROR overrides it.
host_debian_archive() {
    local uris
    uris=$(sed -n 's/^URIs:[[:space:]]*//p' /etc/apt/sources.list.d/*.sources 2>/dev/null | tr ' ' '\n' || true)
    uris+=$'\n'$(sed -n 's/^deb[[:space:]]\+\(\[[^]]*\][[:space:]]\+\)\?\([^[:space:]]\+\).*/\2/p' \
        /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null || true)
    grep -m1 '/debian/\?$' <<<"$uris" || true
}
# What makes a root: bump when the steps in make_root change.
recipe=1
stamp_wanted="recipe=$recipe setup=$(sha256sum "$checkout/scripts/setup.sh" | cut -d' ' -f1)"

log() { echo "in-debian $release: $*" >&2; }

nothing_mounted_below() {
    ! findmnt -rn -o TARGET | grep -q "^$1\(/\|$\)"
}

root_is_sound() {
    [ -f "$root/etc/varnell-root" ] && [ "$(cat "$root/etc/varnell-root")" = "$stamp_wanted" ] \
        && grep -q "^VERSION_ID=\"$release\"" "$root/etc/os-release" \
        && [ -z "$(chroot "$root" dpkg --audit 2>&1)" ]
}

make_bare_tarball() {
    command -v debootstrap >/dev/null || {
        log "installing debootstrap"
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q debootstrap >/dev/null
    }
    local mirror=${VARNELL_DEBIAN_MIRROR:-$(host_debian_archive)}
    [ -n "$mirror" ] || {
        log "no Debian archive in this machine's apt sources; set VARNELL_DEBIAN_MIRROR"
        exit 2
    }
    local scratch=$roots/debian$release-bootstrap
    rm -rf "$scratch"
    log "debootstrap --variant=minbase $suite (about a minute)"
    debootstrap --variant=minbase "$suite" "$scratch" "$mirror" >"$roots/debootstrap-$release.log" 2>&1 \
        || { log "debootstrap failed; see $roots/debootstrap-$release.log"; exit 1; }
    tar -C "$scratch" -cf "$bare.part" . && mv "$bare.part" "$bare"
    rm -rf "$scratch"
}

make_root() {
    nothing_mounted_below "$root" || { log "something is still mounted below $root"; exit 1; }
    rm -rf "$root"
    [ -f "$bare" ] || make_bare_tarball
    mkdir -p "$root"
    tar -C "$root" -xf "$bare"
    in_root /bin/sh -c 'export DEBIAN_FRONTEND=noninteractive
        apt-get update -q && apt-get install -y -q --no-install-recommends git sudo ca-certificates
        useradd --create-home --shell /bin/bash builder
        echo "builder ALL=(ALL) NOPASSWD: ALL" > /etc/sudoers.d/builder
        chmod 0440 /etc/sudoers.d/builder' >/dev/null
    echo "$stamp_wanted" >"$root/etc/varnell-root"
}

# Runs a command in the root with proc, dev and a fresh /tmp, in mount and process namespaces of
# its own.
in_root() {
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    # sudo looks the host's name up on every call.
    grep -qw "$(hostname)" "$root/etc/hosts" 2>/dev/null || echo "127.0.1.1 $(hostname)" >>"$root/etc/hosts"
    unshare --mount --propagation private --pid --fork -- /bin/sh -c '
        root=$1; shift
        mount -t proc proc "$root/proc" &&
        mount --rbind /dev "$root/dev" &&
        mount -t tmpfs -o mode=1777 tmpfs "$root/tmp" &&
        exec chroot "$root" "$@"' sh "$root" \
        /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        LANG=C.UTF-8 HOME=/root "$@"
}

mkdir -p "$roots"
exec 9>"$roots/debian$release.lock"
flock 9
if root_is_sound; then
    log "reusing $root"
else
    started=$SECONDS
    make_root
    log "made $root in $((SECONDS - started)) s"
fi

# A fresh copy of the checkout's working tree (uncommitted changes included, builds left out).
work=$root/home/builder/varnell
rm -rf "$work"
mkdir -p "$work"
tar -C "$checkout" --exclude='./build*' --exclude=./.cache --exclude=./.git -cf - . | tar -C "$work" -xf -
chroot "$root" chown -R builder:builder /home/builder/varnell

passed=()
for name in $(compgen -e); do
    case $name in CI | VARNELL_* | QT_*) passed+=("$name=${!name}") ;; esac
done
status=0
if [ $as_root = 1 ]; then
    in_root /bin/sh -c 'cd /home/builder/varnell && exec env "$@"' sh "${passed[@]}" "$@" || status=$?
else
    in_root /usr/sbin/runuser -u builder -- /bin/sh -c \
        'cd /home/builder/varnell && exec env HOME=/home/builder USER=builder "$@"' sh \
        "${passed[@]}" "$@" || status=$?
fi
nothing_mounted_below "$root" || { log "left mounted below $root:"; findmnt -rn | grep "$root" >&2; exit 1; }
exit $status
