#!/bin/sh
# Builds the packages: each of the package trees, then CPack in those that
# make a package, the packages and their SHA256SUMS copied into OUT.
#   build-packages.sh OUT [--again DIR] PRESET[+]...
# A preset marked + is one whose tree CPack packs. The trees are the
# presets' own (build/PRESET): those of the tests, built as they ship, the
# programs the tests ran. With --again DIR, every tree is built anew under
# DIR/PRESET, without its tests and without the compile cache: a second
# build of the same commit, which the reproducibility check compares.
# Every time stamp in the packages is the last commit's (SOURCE_DATE_EPOCH)
# in UTC, and CPack makes them under umask 022 (the modes of the archives'
# members follow it), so that two builds of one commit give the same bytes
# whatever the builder's time zone and umask. OUT appears whole or not at
# all: it is removed first, the packages gather in OUT.partial, and that
# takes OUT's name once SHA256SUMS is written; a build killed on the way
# leaves no OUT, and the next one starts OUT.partial anew.
set -eu
cd "$(dirname "$0")/../.."
out=$1
shift
again=
if [ "${1:-}" = --again ]; then
    again=$2
    shift 2
fi
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 1767225600)}
export SOURCE_DATE_EPOCH

case $again in
"" | /*) ;;
*) again=$(pwd)/$again ;;
esac
tree_of() { if [ -n "$again" ]; then echo "$again/$1"; else echo "build/$1"; fi; }
for entry in "$@"; do
    preset=${entry%+}
    tree=$(tree_of "$preset")
    if [ -n "$again" ]; then
        # The 64-bit zip takes the 32-bit ketrav.exe from the tree beside it.
        cmake --preset "$preset" -B "$tree" --no-warn-unused-cli -DBUILD_TESTING=OFF -DKETRAV_COMPILE_CACHE=OFF \
            -DKETRAV_WINDOWS_32BIT_BUILD="$(tree_of zip-windows32)" >/dev/null
    elif [ ! -f "$tree/CMakeCache.txt" ]; then
        cmake --preset "$preset" >/dev/null
    fi
    cmake --build "$tree"
done
rm -rf "$out" "$out.partial" && mkdir -p "$out.partial"
for entry in "$@"; do
    [ "${entry%+}" != "$entry" ] || continue
    tree=$(tree_of "${entry%+}")
    rm -rf "$tree/packages"
    (umask 022 && TZ=UTC cmake --build "$tree" --target package >/dev/null)
    for made in "$tree"/packages/*.deb "$tree"/packages/*.zip; do
        [ ! -f "$made" ] || cp "$made" "$out.partial/"
    done
done
(cd "$out.partial" && sha256sum -- *.deb *.zip >SHA256SUMS)
mv "$out.partial" "$out"
cd "$out" && ls -l
