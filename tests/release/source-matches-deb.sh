#!/bin/sh
# The source package's .deb, built in a Debian root by the
# release.source_package test into DIR (source-matches-deb.sh SUITE DIR),
# holds the same files as the amd64 .deb, but for the latter's lintian overrides (its
# programs are static on purpose).
. "$(dirname "$0")/common.sh"
suite=$1
built=$2
name=$(deb_name amd64)
[ "$(id -u)" -eq 0 ] && command -v debootstrap >/dev/null 2>&1 ||
    skip "the source package's .deb for $suite (building it needs root and debootstrap)"
need_package "$name"
source_deb=$built/$name
[ -f "$source_deb" ] || { fail "$source_deb missing (the release.source_package.$suite test builds it)"; finish; }
listing() { dpkg-deb -c "$1" | awk '{print $1, $6}' | grep -v -e ' ./usr/share/lintian' -e ' ./$' | sort; }
listing "$packages/$name" >"$scratch/cpack-files.txt"
listing "$source_deb" >"$scratch/source-files.txt"
if diff "$scratch/cpack-files.txt" "$scratch/source-files.txt" >"$scratch/files.diff" 2>&1; then
    pass "$suite: the source package's .deb holds the amd64 .deb's files"
else
    fail "$suite: the source package's .deb does not hold the amd64 .deb's files: $(head -3 "$scratch/files.diff")"
fi
finish
