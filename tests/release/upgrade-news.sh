#!/bin/sh
# The upgrade from an earlier release as a sysop meets it in a Debian 12
# root: a stand-in for that release (ketrav 1.0.E-2, with its logrotate
# recipe, prerotate, copied to /etc/logrotate.d/ketrav as its README said),
# then apt upgrades it to this .deb with apt-listchanges installed. The
# package's NEWS entry must be shown, and the command it gives must put
# this release's recipe (firstaction) in place of the old one.
. "$(dirname "$0")/common.sh"
name=$(deb_name amd64)
use_debian_root bookworm
need_package "$name"
in_root dpkg --purge ketrav >/dev/null 2>&1 || true
in_root sh -c 'command -v apt-listchanges >/dev/null || { apt-get update -q && apt-get install -y -q apt-listchanges; }' \
    >"$scratch/apt-listchanges.log" 2>&1 || fail "apt-listchanges: $(tail -3 "$scratch/apt-listchanges.log")"

standin=$scratch/standin
mkdir -p "$standin/DEBIAN" "$standin/usr/bin" "$standin/usr/share/doc/ketrav/examples/schedule"
printf '#!/bin/sh\nexit 0\n' >"$standin/usr/bin/ketrav"
chmod 0755 "$standin/usr/bin/ketrav"
cp tests/release/earlier-release.logrotate "$standin/usr/share/doc/ketrav/examples/schedule/ketrav.logrotate"
printf 'Package: ketrav\nVersion: 1.0.E-2\nArchitecture: amd64\nMaintainer: KetRAV developers <ketrav@example.org>\nDescription: stand-in for KetRAV 1.0.E-2\n' \
    >"$standin/DEBIAN/control"
dpkg-deb --root-owner-group --build "$standin" "$debian_root/tmp/ketrav-earlier.deb" >/dev/null
cp "$packages/$name" "$debian_root/tmp/ketrav-new.deb"
in_root dpkg -i /tmp/ketrav-earlier.deb >/dev/null
in_root cp /usr/share/doc/ketrav/examples/schedule/ketrav.logrotate /etc/logrotate.d/ketrav

# apt-listchanges as apt runs it, its text shown on the terminal. It shows
# an entry once and notes it as seen: the notes of an earlier check go, as
# a sysop's machine has never seen this entry.
in_root sh -c 'rm -rf /var/lib/apt/listchanges*'
in_root env APT_LISTCHANGES_FRONTEND=text apt-get install -y -q /tmp/ketrav-new.deb >"$scratch/upgrade.log" 2>&1 ||
    fail "the upgrade: $(tail -5 "$scratch/upgrade.log")"
if grep -q 'logrotate.d/ketrav' "$scratch/upgrade.log" && grep -q "ketrav ($version-$revision)" "$scratch/upgrade.log"; then
    pass "the upgrade shows the NEWS entry"
else
    fail "the upgrade shows no NEWS entry: $(grep -i -A3 news "$scratch/upgrade.log" | head -5)"
fi
# The command the entry gives, as the sysop would type it.
command=$(zcat "$debian_root/usr/share/doc/ketrav/NEWS.Debian.gz" | sed -n 's/^ *\(cp .*logrotate.d\/ketrav\)$/\1/p' | head -1)
[ -n "$command" ] || fail "the NEWS entry gives no cp command"
in_root sh -c "$command"
grep -q '^ *firstaction' "$debian_root/etc/logrotate.d/ketrav" && ! grep -q '^ *prerotate' "$debian_root/etc/logrotate.d/ketrav" &&
    pass "the entry's command puts this release's recipe in place" || fail "the recipe in place is still the old one"
in_root dpkg --purge ketrav >/dev/null
rm -f "$debian_root/etc/logrotate.d/ketrav" "$debian_root/tmp/ketrav-earlier.deb" "$debian_root/tmp/ketrav-new.deb"
finish
