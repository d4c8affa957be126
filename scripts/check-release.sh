#!/bin/sh
# Checks the release as a sysop meets it, after `make packages`:
#   - the man page renders without a warning;
#   - the version the README and the man page show is the build's;
#   - `cmake --install` into a scratch prefix, and the .deb unpacked with
#     dpkg -x into a scratch root: the installed program, run from an
#     unrelated directory (also through a symlink, and with /proc hidden
#     where this machine can hide it), writes the build tree's report byte
#     for byte;
#   - lintian finds no error in either .deb, which hold what they should;
#   - the Windows .zip holds exactly its five files, the README in CR LF,
#     and both ketrav.exe write the same report under Wine.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
build=build/package/amd64
packages=build/packages
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

fail() {
    echo "check-release: FAILED: $*" >&2
    failures=$((failures + 1))
}
pass() { echo "check-release: ok: $*"; }

version=$(sed -n 's/^#define KETRAV_VERSION "\(.*\)"$/\1/p' $build/generated/ketrav_version.h)
[ -n "$version" ] || { echo "check-release: no version in $build" >&2; exit 1; }

# The man page.
if groff -man -Tutf8 -ww -z $build/doc/ketrav.1 2>"$scratch/groff.txt" && [ ! -s "$scratch/groff.txt" ]; then
    pass "man page renders cleanly"
else
    fail "man page: $(cat "$scratch/groff.txt")"
fi
grep -q "^\.TH KETRAV 1 .*\"KetRAV $version\"" $build/doc/ketrav.1 || fail "man page does not carry version $version"
grep -q " KetRAV v$version " README.md || fail "README's sample report does not show version $version"

# run_on_sample NAME PROGRAM...: runs PROGRAM with the sample's title in a
# fresh copy of examples/bbs/ and keeps its report as $scratch/NAME.Rpt.
run_on_sample() {
    name=$1
    shift
    rm -rf "$scratch/host-$name"
    mkdir -p "$scratch/host-$name"
    cp -R examples/bbs/. "$scratch/host-$name/"
    (cd "$scratch/host-$name" && "$@" Fidonet Region 99 Echomail) || fail "$name: exit code $?"
    cp "$scratch/host-$name/KetRAV.Rpt" "$scratch/$name.Rpt" 2>/dev/null || fail "$name: no report"
    for left in KetRAV1.txt KetRAV2.txt; do
        [ ! -e "$scratch/host-$name/$left" ] || fail "$name: $left left behind"
    done
}

same_report() {
    if cmp -s "$scratch/reference.Rpt" "$scratch/$1.Rpt"; then
        pass "$1: the build tree's report, byte for byte"
    else
        fail "$1: report differs from the build tree's"
        diff "$scratch/reference.Rpt" "$scratch/$1.Rpt" >&2 || true
    fi
}

run_on_sample reference "$root/$build/bin/ketrav"
grep -q "^SU.GENERAL \.* : " "$scratch/reference.Rpt" || fail "the build tree's report lists no areas"

# Hides /proc from the program, as a chroot or a container may.
without_proc() {
    unshare -m sh -c 'mount -t tmpfs none /proc && exec "$0" "$@"' "$@"
}
can_hide_proc=no
unshare -m sh -c 'mount -t tmpfs none /proc && test ! -e /proc/self/exe' 2>/dev/null && can_hide_proc=yes

# check_installed NAME BIN: the program at BIN, directly, through a symlink
# and with /proc hidden.
check_installed() {
    run_on_sample "$1" "$2"
    same_report "$1"
    ln -s "$2" "$scratch/$1-link"
    run_on_sample "$1-symlink" "$scratch/$1-link"
    same_report "$1-symlink"
    if [ $can_hide_proc = yes ]; then
        run_on_sample "$1-without-proc" without_proc "$2"
        same_report "$1-without-proc"
    else
        echo "check-release: skipped: $1 with /proc hidden (cannot unshare here)"
    fi
}

# cmake --install into a scratch prefix.
cmake --install $build --prefix "$scratch/prefix" >/dev/null
for f in bin/ketrav libexec/ketrav/cmd libexec/ketrav/sort share/man/man1/ketrav.1.gz \
    share/doc/ketrav/README.md share/doc/ketrav/ketrav.ini; do
    [ -f "$scratch/prefix/$f" ] || fail "install: $f missing"
done
for f in bin/cmd bin/sort; do
    [ ! -e "$scratch/prefix/$f" ] || fail "install: $f must not be installed"
done
check_installed installed "$scratch/prefix/bin/ketrav"

# The .deb files.
deb=$packages/ketrav_${version}_amd64.deb
arm_deb=$packages/ketrav_${version}_arm64.deb
for package in "$deb" "$arm_deb"; do
    [ -f "$package" ] || { fail "$package missing"; continue; }
    if lintian --fail-on error "$package" >"$scratch/lintian.txt" 2>&1; then
        pass "lintian: $(basename "$package")"
    else
        fail "lintian: $(basename "$package"): $(grep '^E:' "$scratch/lintian.txt")"
    fi
    dpkg-deb -c "$package" | awk '{print $6}' | sort >"$scratch/contents.txt"
    for f in ./usr/bin/ketrav ./usr/libexec/ketrav/cmd ./usr/libexec/ketrav/sort ./usr/share/man/man1/ketrav.1.gz \
        ./usr/share/doc/ketrav/README.md ./usr/share/doc/ketrav/ketrav.ini ./usr/share/doc/ketrav/copyright \
        ./usr/share/doc/ketrav/changelog.gz; do
        grep -qx "$f" "$scratch/contents.txt" || fail "$(basename "$package"): $f missing"
    done
    dpkg-deb -f "$package" Depends | grep -q libc6 || fail "$(basename "$package"): no dependencies declared"
done
[ "$(dpkg-deb -f "$arm_deb" Architecture 2>/dev/null)" = arm64 ] || fail "$arm_deb: not arm64"
if [ -f "$deb" ]; then
    dpkg -x "$deb" "$scratch/debroot"
    check_installed deb "$scratch/debroot/usr/bin/ketrav"
fi

# The Windows .zip.
zip=$packages/KetRAV-$version-windows.zip
top=KetRAV-$version-windows
if [ -f "$zip" ]; then
    cmake -E tar tf "$zip" | grep -v '/$' | sort >"$scratch/zip.txt"
    printf '%s\n' "$top/32-bit/ketrav.exe" "$top/64-bit/ketrav.exe" "$top/README.txt" "$top/ketrav.ini" |
        sort >"$scratch/zip-expected.txt"
    if cmp -s "$scratch/zip.txt" "$scratch/zip-expected.txt"; then
        pass "zip holds exactly its files"
    else
        fail "zip contents: $(tr '\n' ' ' <"$scratch/zip.txt")"
    fi
    mkdir -p "$scratch/zip" && (cd "$scratch/zip" && cmake -E tar xf "$root/$zip")
    # README.txt: every line ends with CR LF.
    if [ "$(tr -cd '\n' <"$scratch/zip/$top/README.txt" | wc -c)" -gt 0 ] &&
        [ "$(grep -c "$(printf '\r')\$" "$scratch/zip/$top/README.txt")" = "$(tr -cd '\n' <"$scratch/zip/$top/README.txt" | wc -c)" ]; then
        pass "README.txt has CR LF line ends"
    else
        fail "README.txt is not CR LF throughout"
    fi
    cmp -s "$scratch/zip/$top/ketrav.ini" examples/ketrav.ini || fail "zip: ketrav.ini is not the sample"
    # PE machine types: 0x8664 for x86-64, 0x014c for i386.
    pe_machine() {
        offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
        od -An -tx2 -j$((offset + 4)) -N2 "$1" | tr -d ' '
    }
    [ "$(pe_machine "$scratch/zip/$top/64-bit/ketrav.exe")" = 8664 ] || fail "64-bit/ketrav.exe is not x86-64"
    [ "$(pe_machine "$scratch/zip/$top/32-bit/ketrav.exe")" = 014c ] || fail "32-bit/ketrav.exe is not i386"
    # Under Wine with its own cmd and our sort.exe, the Windows programs
    # write the same report.
    if [ -x build/windows/bin/sort.exe ] && [ -x build/windows32/bin/sort.exe ]; then
        KETRAV_WINE_BIN=$root/build/windows/bin run_on_sample win64 sh "$root/cmake/wine-run.sh" "$scratch/zip/$top/64-bit/ketrav.exe"
        same_report win64
        KETRAV_WINE_BIN=$root/build/windows32/bin run_on_sample win32 sh "$root/cmake/wine-run.sh" --win32 "$scratch/zip/$top/32-bit/ketrav.exe"
        same_report win32
        KETRAV_WINE_BIN=$root/build/windows/bin sh cmake/wine-run.sh --stop
        KETRAV_WINE_BIN=$root/build/windows32/bin sh cmake/wine-run.sh --win32 --stop
    else
        echo "check-release: skipped: the .zip's programs under Wine (no Windows test builds)"
    fi
else
    fail "$zip missing"
fi

if [ $failures -ne 0 ]; then
    echo "check-release: $failures check(s) failed" >&2
    exit 1
fi
echo "check-release: all passed"
