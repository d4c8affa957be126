#!/bin/sh
# The amd64 .deb in a Debian root made with debootstrap from this machine's
# package source (debian-upgrade.sh SUITE: Debian 11 "bullseye", glibc
# 2.31, or 12 "bookworm"): a stand-in for the release before (a package
# ketrav at version 1.0.E) goes in first, then apt upgrades it to the new
# .deb; the new version must be the one installed, and the sample's report
# there must be the build tree's, byte for byte but for the date. The root
# is kept for the next check (debian-root.sh).
. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/sample.sh"
suite=$1
name=$(deb_name amd64)
use_debian_root "$suite"
need_package "$name"
reference_report
in_root dpkg --purge ketrav >/dev/null 2>&1 || true

# The release before, as a package of that name and version.
standin=$scratch/standin
mkdir -p "$standin/DEBIAN" "$standin/usr/bin"
printf '#!/bin/sh\nexit 0\n' >"$standin/usr/bin/ketrav"
chmod 0755 "$standin/usr/bin/ketrav"
printf 'Package: ketrav\nVersion: 1.0.E\nArchitecture: amd64\nMaintainer: KetRAV developers <ketrav@example.org>\nDescription: stand-in for KetRAV 1.0.E\n' \
    >"$standin/DEBIAN/control"
dpkg-deb --root-owner-group --build "$standin" "$debian_root/tmp/ketrav_1.0.E_amd64.deb" >/dev/null
cp "$packages/$name" "$debian_root/tmp/ketrav-new.deb"
in_root dpkg -i /tmp/ketrav_1.0.E_amd64.deb >/dev/null
dpkg --compare-versions "$version-$release" gt 1.0.E || fail "$version-$release is not above 1.0.E"
if in_root apt-get install -y -q /tmp/ketrav-new.deb >"$scratch/apt.log" 2>&1; then
    installed=$(in_root dpkg-query -W -f='${Version}' ketrav)
    [ "$installed" = "$version-$release" ] && pass "$suite: apt upgrades 1.0.E to $installed" ||
        fail "$suite: installed $installed, not $version-$release"
else
    fail "$suite: apt-get install: $(tail -5 "$scratch/apt.log")"
fi

# The sample there.
rm -rf "$debian_root/tmp/bbs" && cp -R examples/bbs "$debian_root/tmp/bbs"
in_root sh -c 'cd /tmp/bbs && exec /usr/bin/ketrav Fidonet Region 99 Echomail' || fail "$suite: ketrav ended with $?"
cp "$debian_root/tmp/bbs/KetRAV.Rpt" "$scratch/$suite.Rpt" || fail "$suite: no report"
same_report "$suite"
in_root dpkg --purge ketrav >/dev/null
rm -rf "$debian_root/tmp/bbs" "$debian_root/tmp/ketrav-new.deb" "$debian_root/tmp/ketrav_1.0.E_amd64.deb"
finish
