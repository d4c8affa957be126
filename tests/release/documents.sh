#!/bin/sh
# Every document a user or a contributor reads names this release and no
# other: the READMEs, the man pages, the Windows READMEs, CONTRIBUTING and
# ARCHITECTURE, and the .deb's description. A release is named as the
# Debian revision (1.0.E-4, ketrav_1.0.E-4_amd64.deb, KetRAV-1.0.E-4-...),
# alone (`-4`, as the READMEs explain it) or in words ("release 4",
# "релиз 4"); an earlier release is spoken of without its number.
. "$(dirname "$0")/common.sh"
need_package "$(deb_name amd64)"

dpkg-deb -f "$packages/$(deb_name amd64)" Description >"$scratch/deb-description.txt"
for document in README.md README.ru.md CONTRIBUTING.md ARCHITECTURE.md doc/ketrav.1.in doc/ketrav.ru.1.in \
    doc/README-windows.txt.in doc/README-windows.ru.txt.in "$scratch/deb-description.txt"; do
    [ -f "$document" ] || {
        fail "$document missing"
        continue
    }
    # Each naming on a line of its own, its number last.
    # A version in words ("release 1.4") is not a release number.
    grep -oiE "$version-[0-9]+|\`-[0-9]+\`|releases? [0-9]+(\.[0-9]+)?|(релиз|выпуск)[^ ]* [0-9]+" \
        "$document" | grep -vE '[0-9]\.[0-9]+$' | sed -E 's/[^0-9]*$//; s/.*[^0-9]([0-9]+)$/\1/' >"$scratch/named.txt" || true
    others=$(grep -vx "$release" "$scratch/named.txt" | sort -u | tr '\n' ' ')
    if [ -n "$others" ]; then
        fail "$(basename "$document") names release(s) $others"
        grep -niE "$version-[0-9]+|releases? [0-9]+|(релиз|выпуск)[^ ]* [0-9]+" "$document" | grep -v -e "-$release\b" |
            head -3 >&2 || true
    else
        pass "$(basename "$document") names release $release alone"
    fi
done
finish
