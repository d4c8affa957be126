#!/bin/sh
# The Debian source package, built as a sysop or a distribution builds it:
# in a Debian root (debian-root.sh) with that release's own compiler and
# CMake, `apt-get build-dep ./` and `dpkg-buildpackage -us -uc` from a copy
# of the clone's files, the tests run during the build. Then lintian on
# the .changes must be silent on errors and warnings, and the .deb must
# install and pass its own autopkgtest (the sample's whole report, byte for
# byte but for the date). The .deb and the logs are left in OUT, where the
# release check compares the .deb's files with the built package's.
#   check-debian-source.sh SUITE OUT
set -eu
suite=$1
out=$2
rm -rf "$out" && mkdir -p "$out"
if [ "$(id -u)" -ne 0 ] || ! command -v debootstrap >/dev/null 2>&1; then
    echo "check-debian-source ($suite): skipped (building in a Debian root needs root and debootstrap)"
    exit 0
fi
root=$(sh scripts/debian-root.sh "$suite" "$out/debootstrap.log" build)
# The root is this check's alone while it uses it: another clone's check
# waits here (or in debian-root.sh) until this one has ended.
exec 8>"$root.lock"
flock 8
# With /proc, as a build machine has it (the tests read it), for as long
# as this check runs. Mounted in place: a private mount namespace cannot be
# had where this check itself runs in a chroot.
mountpoint -q "$root/proc" || mount -t proc proc "$root/proc"
trap 'umount "$root/proc" 2>/dev/null || true' EXIT
in_root() {
    chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root DEBIAN_FRONTEND=noninteractive "$@"
}
fail() {
    echo "check-debian-source ($suite): FAILED: $1" >&2
    [ ! -f "${2:-}" ] || tail -20 "$2" >&2
    exit 1
}
version=$(dpkg-parsechangelog -S Version)
upstream=${version%-*}

# The clone's files (what git tracks, as they stand), and the upstream
# tarball made from them but debian/, as `make orig` makes it.
in_root dpkg --purge ketrav >/dev/null 2>&1 || true
rm -rf "$root/build" && mkdir -p "$root/build/ketrav-$upstream"
git ls-files -z -- . ':(exclude)debian' | tar --null -T - -cf - | tar -xf - -C "$root/build/ketrav-$upstream"
tar -C "$root/build" --sort=name -czf "$root/build/ketrav_$upstream.orig.tar.gz" "ketrav-$upstream"
git ls-files -z -- debian | tar --null -T - -cf - | tar -xf - -C "$root/build/ketrav-$upstream"

in_root sh -c "cd /build/ketrav-$upstream && apt-get update -q && apt-get install -y -q ccache &&
    apt-get build-dep -y -q ./" >"$out/build-dep.log" 2>&1 || fail "apt-get build-dep" "$out/build-dep.log"
# Compiled through ccache, as Debian's builders often do, with the cache
# kept in the root: a run after an earlier one compiles only what changed.
# The objects are the compiler's own either way (the sloppiness lets it
# take the tests' precompiled header).
in_root sh -c "cd /build/ketrav-$upstream && PATH=/usr/lib/ccache:\$PATH CCACHE_DIR=/var/cache/ketrav-ccache \
    CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime DEB_BUILD_OPTIONS=parallel=$(nproc) dpkg-buildpackage -us -uc" >"$out/build.log" 2>&1 ||
    fail "dpkg-buildpackage" "$out/build.log"
grep -q "tests passed" "$out/build.log" || fail "the build ran no tests" "$out/build.log"
# This release's compiler finds nothing to warn of either.
grep -E '^[^ ]+:[0-9]+:[0-9]+: warning:' "$out/build.log" >"$out/warnings.log" &&
    fail "the compiler warns" "$out/warnings.log"

built=ketrav_${version}_$(dpkg --print-architecture)
lintian --fail-on error,warning "$root/build/$built.changes" >"$out/lintian.log" 2>&1 || fail "lintian" "$out/lintian.log"
in_root apt-get install -y -q "/build/$built.deb" >"$out/install.log" 2>&1 || fail "the .deb does not install" "$out/install.log"
in_root sh -c "rm -rf /tmp/autopkgtest && mkdir /tmp/autopkgtest && cd /build/ketrav-$upstream &&
    AUTOPKGTEST_TMP=/tmp/autopkgtest debian/tests/sample-report" >"$out/autopkgtest.log" 2>&1 ||
    fail "autopkgtest sample-report" "$out/autopkgtest.log"
in_root dpkg --purge ketrav >/dev/null
cp "$root/build/$built.deb" "$out/"
rm -rf "$root/build" "$root/tmp/autopkgtest"
echo "check-debian-source ($suite): ok: built with its tests, lintian silent, installed, the sample's report as expected"
