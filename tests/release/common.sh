# Sourced by every release check, each one CTest test run from the source
# tree: where the build and the packages are, a scratch directory of its
# own, and how a check tells what it found. A check reports every finding
# (ok or FAILED) and ends with finish: 1 once any finding failed, else 0.
# One that cannot run on this machine says why and ends with 77, which
# CTest shows as skipped.
set -eu
cd "${KETRAV_SOURCE_DIR:?}"
root=$(pwd)
build=${KETRAV_BUILD_DIR:?}
packages=${KETRAV_PACKAGES:?}
version=${KETRAV_VERSION:?}
revision=${KETRAV_REVISION:?}
report_version=${KETRAV_REPORT_VERSION:?}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
check=$(basename "$0" .sh)

fail() {
    echo "$check: FAILED: $*" >&2
    failures=$((failures + 1))
}
pass() { echo "$check: ok: $*"; }
skip() {
    echo "$check: skipped: $*"
    exit 77
}
# need_tool TOOL...: a tool this check runs; where one is missing the check
# is skipped (make check installs them all), never passed.
need_tool() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (scripts/install-deps.sh check installs it)"
    done
}
finish() {
    [ $failures -eq 0 ] || {
        echo "$check: $failures finding(s) failed" >&2
        exit 1
    }
}
# A package this check needs, built by the packages fixture.
need_package() {
    [ -f "$packages/$1" ] || {
        echo "$check: FAILED: $packages/$1 missing (the release.packages test builds it)" >&2
        exit 1
    }
}
deb_name() { echo "ketrav_${version}-${revision}_$1.deb"; }
zip_top=KetRAV-$version-windows
# The Windows .zip, unpacked into the scratch directory: $unpacked is its
# top folder.
unpack_zip() {
    need_package "$zip_top.zip"
    mkdir -p "$scratch/zip"
    (cd "$scratch/zip" && cmake -E tar xf "$packages/$zip_top.zip")
    unpacked=$scratch/zip/$zip_top
}
# use_debian_root SUITE: the minimal Debian root of SUITE (debian-root.sh),
# this check's alone until it ends (its lock held); in_root runs a command
# there. Where no root can be made, the check is skipped.
use_debian_root() {
    [ "$(id -u)" -eq 0 ] && command -v debootstrap >/dev/null 2>&1 ||
        skip "a $1 root (making one needs root and debootstrap)"
    debian_root=$(sh tests/release/debian-root.sh "$1" "$scratch/debootstrap.log")
    exec 8>"$debian_root.lock"
    flock 8
}
# publish_repository DIR: make-repository.sh's repository of the packages in
# DIR at $repository (the root's /srv/ketrav-repository), added to the root
# as the README has a sysop add it: the key in /usr/share/keyrings and a
# sources entry that names it.
publish_repository() {
    sh scripts/make-repository.sh "$1" "$repository" >"$scratch/make-repository.log" 2>&1 ||
        fail "make-repository.sh: $(tail -3 "$scratch/make-repository.log")"
    mkdir -p "$debian_root/usr/share/keyrings"
    cp "$repository/ketrav-archive-keyring.gpg" "$debian_root/usr/share/keyrings/"
    printf 'Types: deb\nURIs: file:/srv/ketrav-repository\nSuites: stable\nComponents: main\nSigned-By: /usr/share/keyrings/ketrav-archive-keyring.gpg\n' \
        >"$debian_root/etc/apt/sources.list.d/ketrav.sources"
}
in_root() { chroot "$debian_root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }
