#!/bin/sh
# Every document a user or a contributor reads names this release and no
# other: the READMEs, the man pages, the Windows READMEs, CONTRIBUTING and
# ARCHITECTURE, and the .deb's description. A release is named by its
# version (1.6, ketrav_1.6-1_amd64.deb, KetRAV-1.6-windows.zip), with a
# Debian revision or without, or in words ("release 1.6", "выпуск 1.6");
# an earlier release is spoken of without its number. The reports' own
# version (v1.0.E) is not a release's. The one exception is the Windows
# READMEs' upgrade table, whose rows (lines that begin "  from ") name the
# earlier release an upgrader comes from and what changed since.
. "$(dirname "$0")/common.sh"
need_package "$(deb_name amd64)"

dpkg-deb -f "$packages/$(deb_name amd64)" Description >"$scratch/deb-description.txt"
for document in README.md README.ru.md CONTRIBUTING.md ARCHITECTURE.md doc/ketrav.1.in doc/ketrav.ru.1.in \
    doc/README-windows.txt.in doc/README-windows.ru.txt.in "$scratch/deb-description.txt"; do
    [ -f "$document" ] || {
        fail "$document missing"
        continue
    }
    # Package names, Debian versions and releases in words, each reduced
    # to the version it names.
    case $document in
    doc/README-windows*) sed '/^  from /d' "$document" >"$scratch/document.txt" ;;
    *) cp "$document" "$scratch/document.txt" ;;
    esac
    grep -oiE "ketrav_[0-9][^_ ]*_|KetRAV-[0-9][^ ]*-windows|[0-9]+\.[0-9]+(\.[A-Z])?-[0-9]+|(releases?|релиз[^ ]*|выпуск[^ ]*) [0-9]+(\.[0-9A-Z]+)*" \
        "$scratch/document.txt" | sed -E 's/^(ketrav_|KetRAV-)//I; s/(_|-windows)$//; s/^[^0-9]* //; s/-[0-9]+$//' >"$scratch/named.txt" || true
    others=$(grep -vx "$version" "$scratch/named.txt" | sort -u | tr '\n' ' ')
    if [ -n "$others" ]; then
        fail "$(basename "$document") names release(s) $others"
    else
        pass "$(basename "$document") names release $version alone"
    fi
done
finish
