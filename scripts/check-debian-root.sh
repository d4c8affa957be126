#!/bin/sh
# The amd64 .deb in a Debian root made with debootstrap from this machine's
# package source (Debian 11 "bullseye", glibc 2.31, or 12 "bookworm"): a
# stand-in for the release before (a package ketrav at version 1.0.E) goes
# in first, then apt upgrades it to the new .deb; the new version must be
# the one installed, and the sample's report there must be this machine's,
# byte for byte but for the date. The root is kept for the next check
# (debian-root.sh).
#   check-debian-root.sh SUITE DEB SCRATCH VERSION
# SCRATCH holds reference.Rpt, the build tree's report of the sample.
set -eu
suite=$1
deb=$2
scratch=$3
version=$4
root=$(sh scripts/debian-root.sh "$suite" "$scratch/debootstrap.log")
# The root is this check's alone while it uses it (see debian-root.sh).
exec 8>"$root.lock"
flock 8
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin "$@"; }
in_root dpkg --purge ketrav >/dev/null 2>&1 || true

# The release before, as a package of that name and version.
standin=$scratch/standin
mkdir -p "$standin/DEBIAN" "$standin/usr/bin"
printf '#!/bin/sh\nexit 0\n' >"$standin/usr/bin/ketrav"
chmod 0755 "$standin/usr/bin/ketrav"
printf 'Package: ketrav\nVersion: 1.0.E\nArchitecture: amd64\nMaintainer: KetRAV developers <ketrav@example.org>\nDescription: stand-in for KetRAV 1.0.E\n' \
    >"$standin/DEBIAN/control"
dpkg-deb --root-owner-group --build "$standin" "$root/tmp/ketrav_1.0.E_amd64.deb" >/dev/null
cp "$deb" "$root/tmp/ketrav-new.deb"
in_root dpkg -i /tmp/ketrav_1.0.E_amd64.deb >/dev/null
dpkg --compare-versions "$version" gt 1.0.E || { echo "check-debian-root ($suite): $version is not above 1.0.E" >&2; exit 1; }
in_root apt-get install -y -q /tmp/ketrav-new.deb >"$scratch/apt.log" 2>&1 || {
    tail -5 "$scratch/apt.log" >&2
    exit 1
}
installed=$(in_root dpkg-query -W -f='${Version}' ketrav)
[ "$installed" = "$version" ] || { echo "check-debian-root ($suite): installed $installed, not $version" >&2; exit 1; }

# The sample there.
rm -rf "$root/tmp/bbs" && cp -R examples/bbs "$root/tmp/bbs"
in_root sh -c 'cd /tmp/bbs && exec /usr/bin/ketrav Fidonet Region 99 Echomail' || {
    echo "check-debian-root ($suite): ketrav ended with $?" >&2
    exit 1
}
undated() { sed '2s/[0-9][0-9]-[0-9][0-9]-[0-9][0-9][0-9][0-9]\r$/DATE\r/' "$1"; }
undated "$root/tmp/bbs/KetRAV.Rpt" >"$scratch/$suite.Rpt"
undated "$scratch/reference.Rpt" >"$scratch/reference-undated.Rpt"
cmp -s "$scratch/$suite.Rpt" "$scratch/reference-undated.Rpt" || {
    echo "check-debian-root ($suite): the report differs from this machine's" >&2
    exit 1
}
in_root dpkg --purge ketrav >/dev/null
rm -rf "$root/tmp/bbs" "$root/tmp/ketrav-new.deb" "$root/tmp/ketrav_1.0.E_amd64.deb"
