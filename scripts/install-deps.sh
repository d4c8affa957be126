#!/bin/sh
# Installs what a README command needs on Debian or Ubuntu, when it is
# missing. As root it uses apt-get; otherwise it names the packages and
# stops.
#   install-deps.sh demo    the demo build: cmake and g++
#   install-deps.sh packages  the release builds and their packages: the
#                           cross compilers (ARM 64- and 32-bit, 32-bit PC,
#                           Windows), GoogleTest's sources (the .deb files
#                           come from the test trees), gzip for the documents,
#                           apt-utils and gnupg for the signed repository
#   install-deps.sh check   every build, test and package check
#   install-deps.sh coverage  the coverage tree: GoogleTest's sources, gcovr
#   install-deps.sh bench   the benchmarks: Google Benchmark, hyperfine,
#                           GNU time for peak memory, strace for call counts
set -u
case "${1:-check}" in
demo) packages="cmake g++ make" ;;
check)
    # googletest: its sources, for every build's own compiler; mingw-w64 and
    # wine: the Windows builds and their tests (wine32 for the 32-bit one);
    # g++-aarch64-linux-gnu, g++-arm-linux-gnueabi (ARMv5TE, for the armhf
    # .deb, which must run on ARMv6) and qemu-user: the ARM
    # builds; g++-i686-linux-gnu: the 32-bit PC build; groff-base: the man
    # page; lintian: the .deb files; debootstrap: the Debian 11 and 12
    # roots the amd64 .deb is tried in and the source package is built in;
    # dpkg-dev: the source package's version; gzip: the packaged documents;
    # ccache: the trees' compile cache, shared by every clone on a machine;
    # clang and its runtime: the fuzz targets; logrotate: the month's
    # rotation, tried; apt-utils and gnupg: the signed apt repository; acl:
    # access lists on the files of root's end-to-end cases; xfsprogs and
    # strace: an XFS image shut down just after the report's rename.
    # Wine is run as its package documents: the wine package's commands.
    packages="cmake g++ make googletest mingw-w64 wine wine64 wine32:i386 g++-aarch64-linux-gnu g++-arm-linux-gnueabi"
    packages="$packages g++-i686-linux-gnu qemu-user groff-base lintian debootstrap dpkg-dev gzip ccache clang libclang-rt-dev logrotate apt-utils gnupg acl xfsprogs strace"
    ;;
packages) packages="cmake g++ make googletest mingw-w64 g++-aarch64-linux-gnu g++-arm-linux-gnueabi g++-i686-linux-gnu gzip apt-utils gnupg" ;;
coverage) packages="cmake g++ make googletest gcovr" ;;
bench) packages="cmake g++ make g++-i686-linux-gnu libbenchmark-dev hyperfine time strace" ;;
*)
    echo "usage: install-deps.sh demo|packages|check|coverage|bench" >&2
    exit 2
    ;;
esac

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

missing=""
for p in $packages; do
    installed "$p" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if ! command -v apt-get >/dev/null 2>&1; then
    echo "KetRAV needs:$missing (Debian package names); install them with your system's package manager." >&2
    exit 1
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "KetRAV needs these Debian packages:$missing" >&2
    echo "Install them as root:" >&2
    case "$missing" in *:i386*) echo "  dpkg --add-architecture i386 && apt-get update" >&2 ;; esac
    echo "  apt-get install -y$missing" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
case "$missing" in
*:i386*)
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 || {
        echo "install-deps: could not add the i386 architecture (needed for wine32)" >&2
        exit 1
    }
    ;;
esac
# A mirror caught mid-sync fails one index of many; the install below
# then says whether what is needed could still be found.
updated=yes
apt-get -o DPkg::Lock::Timeout=600 update -qq || updated=no
apt_install() {
    # shellcheck disable=SC2086
    apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "$@" $missing
}
# Where an index of the updates failed for one architecture alone, the
# other's newer libraries no longer match (wine32:i386 then cannot be
# installed): the release's own packages, which every index lists, still do.
release=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
if ! apt_install && ! { [ "$updated" = no ] && [ -n "$release" ] && apt_install -o APT::Default-Release="$release"; }; then
    [ "$updated" = yes ] ||
        echo "install-deps: 'apt-get update' failed too; check the network and /etc/apt/sources.list, then try again." >&2
    echo "install-deps: could not install:$missing" >&2
    exit 1
fi
