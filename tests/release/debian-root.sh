#!/bin/sh
# Prints the path of a Debian root made with debootstrap from this
# machine's package source, making it first when it is missing. Roots are
# kept for the next check on this machine, outside the clone
# (KETRAV_DEBIAN_ROOTS, else the user's cache directory): a fresh clone
# makes each only once.
#   debian-root.sh SUITE LOG           a minimal root (variant minbase)
#   debian-root.sh SUITE LOG build     a root that builds packages (variant
#                                      buildd: build-essential)
# The two are made apart, so that neither is ever a copy of the other in
# the middle of a check's changes.
set -eu
suite=$1
log=$2
kind=${3:-minimal}
roots=${KETRAV_DEBIAN_ROOTS:-${XDG_CACHE_HOME:-${HOME:-$(pwd)/build}/.cache}/ketrav/debian-roots}
mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
mirror=${mirror:-http://deb.debian.org/debian}
if [ "$kind" = build ]; then
    root=$roots/$suite-build
    options=--variant=buildd
else
    root=$roots/$suite
    options=--variant=minbase
fi

# A root counts once debootstrap has finished it: one cut short is made
# anew. One check at a time makes a root, and one at a time uses it: the
# checks that use a root take the same lock for as long as they do, so two
# clones checking at once on one machine wait for each other.
mkdir -p "$roots"
exec 9>"$root.lock"
flock 9
if [ ! -f "$root/.ketrav-root-complete" ]; then
    rm -rf "$root"
    # shellcheck disable=SC2086
    debootstrap $options "$suite" "$root" "$mirror" >"$log" 2>&1 || {
        tail -5 "$log" >&2
        exit 1
    }
    touch "$root/.ketrav-root-complete"
fi
# apt there waits for another apt's lock (up to 10 minutes) instead of
# failing at once; roots made before this line get it too.
echo 'DPkg::Lock::Timeout "600";' >"$root/etc/apt/apt.conf.d/50ketrav-lock-timeout"
echo "$root"
