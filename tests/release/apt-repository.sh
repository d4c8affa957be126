#!/bin/sh
# The signed apt repository as a sysop uses it (apt-repository.sh SUITE),
# in a Debian root: make-repository.sh makes it from the packages with a
# throwaway key; the root names it in /etc/apt/sources.list.d/ketrav.sources
# (a file: URI, Signed-By the exported key) as the README says. apt must
# install ketrav from it; a package of a higher revision added to the
# repository must come with `apt upgrade`, ketrav.ini and the report kept;
# and a Release file changed after signing must be refused.
. "$(dirname "$0")/common.sh"
need_tool gpg apt-ftparchive
suite=$1
name=$(deb_name amd64)
use_debian_root "$suite"
need_package "$name"
in_root dpkg --purge ketrav >/dev/null 2>&1 || true
repository=$debian_root/srv/ketrav-repository
trap 'rm -rf "$scratch" "$repository" "$debian_root/etc/apt/sources.list.d/ketrav.sources" \
    "$debian_root/usr/share/keyrings/ketrav-archive-keyring.gpg" "$debian_root/tmp/bbs"' EXIT

publish_repository "$packages"
# The key checked as the README says, with gpgv alone (a minimal root has
# no gpg): the fingerprint of the key that signed the index is the one
# make-repository.sh wrote beside the key.
signer=$(in_root gpgv --status-fd 1 --keyring /usr/share/keyrings/ketrav-archive-keyring.gpg \
    /srv/ketrav-repository/dists/stable/InRelease 2>/dev/null | sed -n 's/^\[GNUPG:\] VALIDSIG .* \([0-9A-F]*\)$/\1/p')
[ -n "$signer" ] && [ "$signer" = "$(cat "$repository/ketrav-archive-keyring.fingerprint")" ] &&
    pass "$suite: gpgv names the fingerprint make-repository.sh printed" ||
    fail "$suite: gpgv's fingerprint '$signer' is not the one written beside the key"
if in_root sh -c 'apt-get update -q && apt-get install -y -q ketrav' >"$scratch/install.log" 2>&1; then
    installed=$(in_root dpkg-query -W -f='${Version}' ketrav)
    [ "$installed" = "$version-$revision" ] && pass "$suite: apt installs $installed from the repository" ||
        fail "$suite: installed $installed"
else
    fail "$suite: apt install from the repository: $(tail -5 "$scratch/install.log")"
fi
rm -rf "$debian_root/tmp/bbs" && cp -R examples/bbs "$debian_root/tmp/bbs" && cp examples/ketrav.ini "$debian_root/tmp/bbs/"
in_root sh -c 'cd /tmp/bbs && /usr/bin/ketrav Fidonet Region 99 Echomail' || fail "$suite: ketrav ended with $?"
(cd "$debian_root/tmp/bbs" && sha256sum ketrav.ini KetRAV.Rpt) >"$scratch/kept.txt"

# The next revision, as the next release would be published.
newer=$version-$revision.1
mkdir -p "$scratch/newer"
dpkg-deb -R "$packages/$name" "$scratch/unpacked"
sed -i "s/^Version: .*/Version: $newer/" "$scratch/unpacked/DEBIAN/control"
dpkg-deb --root-owner-group -b "$scratch/unpacked" "$scratch/newer/ketrav_${newer}_amd64.deb" >/dev/null
publish_repository "$scratch/newer"
if in_root sh -c 'apt-get update -q && apt-get upgrade -y -q' >"$scratch/upgrade.log" 2>&1 &&
    [ "$(in_root dpkg-query -W -f='${Version}' ketrav)" = "$newer" ]; then
    pass "$suite: apt upgrade takes $newer from the repository"
else
    fail "$suite: apt upgrade: $(tail -5 "$scratch/upgrade.log")"
fi
(cd "$debian_root/tmp/bbs" && sha256sum --quiet -c "$scratch/kept.txt") && pass "$suite: ketrav.ini and the report kept" ||
    fail "$suite: ketrav.ini or the report changed in the upgrade"

# A Release file changed after signing: apt refuses the repository.
sed -i 's/^Label: KetRAV$/Label: Other/' "$repository/dists/stable/InRelease"
if in_root apt-get update -q >"$scratch/tampered.log" 2>&1 && ! grep -q -i -e 'not signed' -e 'BADSIG' -e 'NO_PUBKEY' \
    -e 'invalid' "$scratch/tampered.log"; then
    fail "$suite: apt took a repository whose Release was changed after signing"
else
    pass "$suite: apt refuses a Release changed after signing"
fi
in_root dpkg --purge ketrav >/dev/null

# The README's uninstall of a repository install, once the repository is
# gone: apt update works again and keeps nothing of it.
rm -rf "$repository"
uninstall=$(sed -n 's|^    \(rm /etc/apt/sources.list.d/ketrav.sources .*\)$|\1|p' README.md)
[ -n "$uninstall" ] || fail "$suite: no uninstall line for the repository in README.md"
if in_root sh -c "$uninstall && apt-get update -q" >"$scratch/uninstall.log" 2>&1 &&
    ! ls "$debian_root/var/lib/apt/lists" | grep -q ketrav-repository; then
    pass "$suite: the README's uninstall leaves apt update working and no list of the repository"
else
    fail "$suite: after the README's uninstall: $(tail -5 "$scratch/uninstall.log")"
fi
finish
