#!/bin/sh
# The Debian source package, built as Debian's build machines build it
# (debian-source.sh SUITE OUT): in a Debian root (debian-root.sh) with that
# release's own compiler and CMake, `apt-get build-dep ./` as root, then
# `dpkg-buildpackage -us -uc` as a normal user with no root command at all
# (Rules-Requires-Root: no promises that none is needed), from a copy of
# the clone's files, the tests run during the build. lintian on the
# .changes must be silent on errors and warnings, the compiler must not
# warn, and the `autopkgtest` runner (virtualisation server null: the root
# is the test bed) must pass the package's tests against the built .deb.
# The .deb and the logs are left in OUT, where release.source_matches_deb
# compares the .deb's files with the built package's.
. "$(dirname "$0")/common.sh"
suite=$1
out=$2
rm -rf "$out" && mkdir -p "$out"
[ "$(id -u)" -eq 0 ] && command -v debootstrap >/dev/null 2>&1 ||
    skip "building in a $suite root needs root and debootstrap"
debian_root=$(sh tests/release/debian-root.sh "$suite" "$out/debootstrap.log" build)
# The root is this check's alone while it uses it: another clone's check
# waits here (or in debian-root.sh) until this one has ended.
exec 8>"$debian_root.lock"
flock 8
# With /proc, as a build machine has it (the tests read it), for as long
# as this check runs. Mounted in place: a private mount namespace cannot be
# had where this check itself runs in a chroot.
mountpoint -q "$debian_root/proc" || mount -t proc proc "$debian_root/proc"
trap 'umount "$debian_root/proc" 2>/dev/null || true; rm -rf "$scratch"' EXIT
in_root() {
    chroot "$debian_root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root DEBIAN_FRONTEND=noninteractive "$@"
}
# A step that must pass: its log's end shown, and the check over, if not.
step() {
    what=$1
    log=$2
    shift 2
    "$@" >"$out/$log" 2>&1 || {
        fail "$what (see $out/$log)"
        tail -20 "$out/$log" >&2
        finish
    }
}
debian_version=$(dpkg-parsechangelog -S Version)
upstream=${debian_version%-*}

# The clone's files (what git tracks, as they stand), and the upstream
# tarball made from them but debian/, as `make orig` makes it; all of it
# the builder's, a user with no rights beyond their own files.
in_root dpkg --purge ketrav >/dev/null 2>&1 || true
in_root sh -c 'id builder >/dev/null 2>&1 || useradd --create-home builder'
rm -rf "$debian_root/build" && mkdir -p "$debian_root/build/ketrav-$upstream"
git ls-files -z -- . ':(exclude)debian' | tar --null -T - -cf - | tar -xf - -C "$debian_root/build/ketrav-$upstream"
tar -C "$debian_root/build" --sort=name -czf "$debian_root/build/ketrav_$upstream.orig.tar.gz" "ketrav-$upstream"
git ls-files -z -- debian | tar --null -T - -cf - | tar -xf - -C "$debian_root/build/ketrav-$upstream"
mkdir -p "$debian_root/var/cache/ketrav-ccache"
in_root chown -R builder:builder /build /var/cache/ketrav-ccache

step "apt-get build-dep" build-dep.log in_root sh -c "cd /build/ketrav-$upstream && apt-get update -q &&
    apt-get install -y -q ccache autopkgtest && apt-get build-dep -y -q ./"
# Compiled through ccache, as Debian's builders often do, with the cache
# kept in the root: a run after an earlier one compiles only what changed.
# The objects are the compiler's own either way (the sloppiness lets it
# take the tests' precompiled header). A root command of `false` fails any
# step that would ask for root.
step "dpkg-buildpackage as a normal user" build.log in_root runuser -u builder -- env HOME=/home/builder \
    PATH=/usr/lib/ccache:/usr/bin:/bin CCACHE_DIR=/var/cache/ketrav-ccache \
    CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime DEB_BUILD_OPTIONS=parallel=$(nproc) \
    sh -c "cd /build/ketrav-$upstream && dpkg-buildpackage -us -uc --root-command=false"
grep -q "tests passed" "$out/build.log" && pass "$suite: built as a normal user, with its tests" ||
    fail "$suite: the build ran no tests"
# This release's compiler finds nothing to warn of either.
if grep -E '^[^ ]+:[0-9]+:[0-9]+: warning:' "$out/build.log" >"$out/warnings.log"; then
    fail "$suite: the compiler warns: $(head -3 "$out/warnings.log")"
fi

built=ketrav_${debian_version}_$(dpkg --print-architecture)
step "lintian" lintian.log lintian --fail-on error,warning "$debian_root/build/$built.changes"
pass "$suite: lintian silent on errors and warnings"
step "autopkgtest" autopkgtest.log in_root autopkgtest --output-dir /build/autopkgtest "/build/$built.deb" \
    "/build/ketrav-$upstream/" -- null
pass "$suite: autopkgtest passes against the built .deb"
in_root dpkg --purge ketrav >/dev/null 2>&1 || true
cp "$debian_root/build/$built.deb" "$out/"
rm -rf "$debian_root/build"
finish
