#!/bin/sh
# The Debian source package, built as a sysop or a distribution builds it:
# in a Debian root (debian-root.sh) with that release's own compiler and
# CMake, `apt-get build-dep ./` and `dpkg-buildpackage -us -uc` from a copy
# of the clone's files, the tests run during the build. Then lintian on
# the .changes must be silent on errors and warnings, the .deb must hold
# the same files as the built package DEB, install, pass its own
# autopkgtest, and write the sample's report of SCRATCH/reference.Rpt,
# byte for byte but for the date.
#   check-debian-source.sh SUITE DEB SCRATCH
set -eu
suite=$1
deb=$2
scratch=$3/source-$suite
rm -rf "$scratch" && mkdir -p "$scratch"
root=$(sh scripts/debian-root.sh "$suite" "$scratch/debootstrap.log" build)
# With /proc of its own, as a build machine has it (the tests read it).
in_root() {
    unshare -m --propagation private sh -c 'mount -t proc proc "$0/proc" && exec chroot "$0" "$@"' "$root" \
        /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root DEBIAN_FRONTEND=noninteractive "$@"
}
fail() {
    echo "check-debian-source ($suite): $1" >&2
    [ ! -f "$2" ] || tail -20 "$2" >&2
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

in_root sh -c "cd /build/ketrav-$upstream && apt-get update -q && apt-get build-dep -y -q ./" >"$scratch/build-dep.log" 2>&1 ||
    fail "apt-get build-dep failed" "$scratch/build-dep.log"
in_root sh -c "cd /build/ketrav-$upstream && DEB_BUILD_OPTIONS=parallel=$(nproc) dpkg-buildpackage -us -uc" \
    >"$scratch/build.log" 2>&1 || fail "dpkg-buildpackage failed" "$scratch/build.log"
grep -q "tests passed" "$scratch/build.log" || fail "the build ran no tests" "$scratch/build.log"
# This release's compiler finds nothing to warn of either.
grep -E '^[^ ]+:[0-9]+:[0-9]+: warning:' "$scratch/build.log" >"$scratch/warnings.log" &&
    fail "the compiler warns" "$scratch/warnings.log"

changes=$root/build/ketrav_${version}_$(dpkg --print-architecture).changes
built=$root/build/ketrav_${version}_$(dpkg --print-architecture).deb
lintian --fail-on error,warning "$changes" >"$scratch/lintian.log" 2>&1 || fail "lintian" "$scratch/lintian.log"

# The same files as the built package, but for the latter's lintian
# overrides (its programs are static on purpose).
listing() { dpkg-deb -c "$1" | awk '{print $1, $6}' | grep -v -e ' ./usr/share/lintian' -e ' ./$' | sort; }
listing "$deb" >"$scratch/cpack-files.txt"
listing "$built" >"$scratch/source-files.txt"
diff "$scratch/cpack-files.txt" "$scratch/source-files.txt" >"$scratch/files.diff" ||
    fail "not the built package's files" "$scratch/files.diff"

in_root apt-get install -y -q "/build/$(basename "$built")" >"$scratch/install.log" 2>&1 ||
    fail "the .deb does not install" "$scratch/install.log"
in_root sh -c "rm -rf /tmp/autopkgtest && mkdir /tmp/autopkgtest && cd /build/ketrav-$upstream &&
    AUTOPKGTEST_TMP=/tmp/autopkgtest debian/tests/sample-report" >"$scratch/autopkgtest.log" 2>&1 ||
    fail "autopkgtest sample-report failed" "$scratch/autopkgtest.log"
undated() { sed '2s/[0-9][0-9]-[0-9][0-9]-[0-9][0-9][0-9][0-9]\r$/DATE\r/' "$1"; }
undated "$root/tmp/autopkgtest/bbs/KetRAV.Rpt" >"$scratch/source.Rpt"
undated "$3/reference.Rpt" >"$scratch/reference.Rpt"
cmp -s "$scratch/source.Rpt" "$scratch/reference.Rpt" || fail "the report differs from the built package's"
in_root dpkg --purge ketrav >/dev/null
rm -rf "$root/build" "$root/tmp/autopkgtest"
