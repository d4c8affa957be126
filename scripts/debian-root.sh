#!/bin/sh
# Prints the path of a Debian root made with debootstrap from this
# machine's package source, making it first when it is missing. Roots are
# kept for the next check on this machine, outside the clone
# (KETRAV_DEBIAN_ROOTS, else the user's cache directory): a fresh clone
# makes each only once.
#   debian-root.sh SUITE LOG           a minimal root (debootstrap minbase)
#   debian-root.sh SUITE LOG build     a copy of it that can build packages
#                                      (build-essential, fakeroot)
set -eu
suite=$1
log=$2
kind=${3:-minimal}
roots=${KETRAV_DEBIAN_ROOTS:-${XDG_CACHE_HOME:-${HOME:-$(pwd)/build}/.cache}/ketrav/debian-roots}
mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
mirror=${mirror:-http://deb.debian.org/debian}

# A root counts once it is finished: one cut short is made anew.
minimal=$roots/$suite
if [ ! -f "$minimal/.ketrav-root-complete" ]; then
    rm -rf "$minimal"
    mkdir -p "$roots"
    debootstrap --variant=minbase "$suite" "$minimal" "$mirror" >"$log" 2>&1 || {
        tail -5 "$log" >&2
        exit 1
    }
    touch "$minimal/.ketrav-root-complete"
fi
if [ "$kind" = build ]; then
    root=$roots/$suite-build
    if [ ! -f "$root/.ketrav-root-complete" ]; then
        rm -rf "$root"
        cp -a "$minimal" "$root"
        rm "$root/.ketrav-root-complete"
        chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive \
            sh -c 'apt-get update -q && apt-get install -y -q --no-install-recommends build-essential fakeroot' \
            >"$log" 2>&1 || {
            tail -5 "$log" >&2
            exit 1
        }
        touch "$root/.ketrav-root-complete"
    fi
else
    root=$minimal
fi
echo "$root"
