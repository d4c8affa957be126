#!/bin/sh
# The upgrade from the previous release as a sysop meets it, in a Debian
# root made with debootstrap (debian-upgrade.sh SUITE: Debian 11
# "bullseye" or 12 "bookworm"): the previous release's own amd64 .deb
# (previous-release.sh) installed, the BBS user's cron line and a root cron
# line in the user's directory scheduled, then this release published with
# make-repository.sh and taken by `apt upgrade` with apt-listchanges, as the
# README says. apt-listchanges must show this release's NEWS (the root rule
# first), and afterwards both scheduled commands, run as cron runs them,
# must end 0 with the build tree's report, the user's. The root is kept for
# the next check (debian-root.sh).
. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/sample.sh"
suite=$1
use_debian_root "$suite"
need_package "$(deb_name amd64)"
previous=$(sh tests/release/previous-release.sh "$scratch/previous-release.log") ||
    { fail "the previous release's .deb could not be built (tests/release/previous-release.sh)"; finish; }
reference_report
repository=$debian_root/srv/ketrav-repository
trap 'in_root sh -c "crontab -r -u bbs; crontab -r" 2>/dev/null; rm -rf "$scratch" "$repository" "$debian_root/srv/bbs" \
    "$debian_root/etc/apt/sources.list.d/ketrav.sources" "$debian_root/usr/share/keyrings/ketrav-archive-keyring.gpg" \
    "$debian_root/tmp/ketrav-previous.deb"' EXIT
in_root dpkg --purge ketrav >/dev/null 2>&1 || true
in_root sh -c 'command -v crontab >/dev/null && command -v apt-listchanges >/dev/null ||
    { apt-get update -q && apt-get install -y -q cron apt-listchanges; }' >"$scratch/tools.log" 2>&1 ||
    { fail "$suite: cron and apt-listchanges: $(tail -3 "$scratch/tools.log")"; finish; }

# The previous release, and a host directory of the BBS user's with both
# lines scheduled.
cp "$previous" "$debian_root/tmp/ketrav-previous.deb"
in_root dpkg -i /tmp/ketrav-previous.deb >"$scratch/previous.log" 2>&1 || fail "$suite: dpkg -i the previous release"
in_root sh -c 'id bbs >/dev/null 2>&1 || useradd --create-home bbs'
rm -rf "$debian_root/srv/bbs" && mkdir -p "$debian_root/srv" && cp -R examples/bbs "$debian_root/srv/bbs"
in_root chown -R bbs:bbs /srv/bbs
line='cd /srv/bbs && /usr/bin/ketrav Fidonet Region 99 Echomail'
echo "5 0 * * * $line" | in_root crontab -u bbs -
echo "35 0 * * * $line" | in_root crontab -

# scheduled USER: runs USER's cron line as cron does (sh -c, in the home
# directory, with cron's environment) and prints its exit code; the report
# it left is kept as $scratch/USER.Rpt.
scheduled() {
    command=$(in_root crontab -l -u "$1" | sed -n 's/^[0-9* ]* \(cd .*\)$/\1/p')
    home=$(in_root sh -c "getent passwd $1 | cut -d: -f6")
    rm -f "$debian_root/srv/bbs/KetRAV.Rpt"
    code=0
    in_root runuser -u "$1" -- env -i HOME="$home" LOGNAME="$1" SHELL=/bin/sh PATH=/usr/bin:/bin \
        sh -c "cd && $command" >/dev/null 2>&1 || code=$?
    cp "$debian_root/srv/bbs/KetRAV.Rpt" "$scratch/$1.Rpt" 2>/dev/null || true
    echo $code
}
echo "$check: with the previous release, the user's line ends $(scheduled bbs) and root's $(scheduled root)"

# This release through the repository, as the README publishes it.
publish_repository "$packages"
# apt-listchanges shows an entry once and notes it as seen: an earlier
# check's notes go, as a sysop's machine has never seen this entry.
in_root sh -c 'rm -rf /var/lib/apt/listchanges*'
if in_root sh -c 'apt-get update -q && APT_LISTCHANGES_FRONTEND=text apt-get upgrade -y -q' >"$scratch/upgrade.log" 2>&1 &&
    [ "$(in_root dpkg-query -W -f='${Version}' ketrav)" = "$version-$revision" ]; then
    pass "$suite: apt upgrade takes $version-$revision from the repository"
else
    fail "$suite: apt upgrade: $(tail -5 "$scratch/upgrade.log")"
fi
first_news=$(sed -n 3p debian/NEWS)
grep -q -F "$first_news" "$scratch/upgrade.log" && grep -q "ketrav ($version-$revision)" "$scratch/upgrade.log" &&
    pass "$suite: apt-listchanges shows this release's NEWS: $first_news" ||
    fail "$suite: the upgrade did not show this release's NEWS"

for user in bbs root; do
    code=$(scheduled $user)
    [ "$code" = 0 ] && pass "$suite: $user's scheduled line ends 0 after the upgrade" ||
        fail "$suite: $user's scheduled line ends $code after the upgrade"
    [ -f "$scratch/$user.Rpt" ] && same_report "$user"
    owner=$(in_root sh -c "getent passwd $(stat -c %u "$debian_root/srv/bbs/KetRAV.Rpt" 2>/dev/null || echo x) | cut -d: -f1")
    [ "$owner" = bbs ] && pass "$suite: $user's report is the BBS user's" || fail "$suite: $user's report is ${owner:-nobody}'s"
done
in_root dpkg --purge ketrav >/dev/null
finish
