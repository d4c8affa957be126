#!/bin/sh
# Checks the release as a sysop meets it, after `make packages`:
#   - the man page renders without a warning;
#   - the version the README and the man page show is the build's;
#   - `cmake --install` into a scratch prefix, and the .deb unpacked with
#     dpkg -x into a scratch root: the installed program, run from an
#     unrelated directory (also through a symlink, and with /proc hidden
#     where this machine can hide it), writes the build tree's report byte
#     for byte;
#   - the stand-in sort is the one that ran: without it the run fails,
#     and never takes a sort from PATH;
#   - lintian, informational tags included, finds nothing in any of the
#     four .deb files, which hold what they should, the examples the
#     documents name among them, fixed modes, and no Depends, as their
#     programs are static; cmake --install under umask 027 gives the same
#     modes;
#   - the amd64 .deb installs, upgrades a ketrav 1.0.E, and writes the same
#     report in a Debian 11 and a Debian 12 root (as root, with
#     debootstrap);
#   - the Debian source package's .deb, built in the same two releases by
#     `make check` (check-debian-source.sh), holds the amd64 .deb's files,
#     and its autopkgtest's expected report is the build tree's;
#   - the Windows .zip holds exactly its files, a README.txt for Windows
#     (plain text, CR LF, at most 78 columns), both ketrav.exe with a
#     version resource and no import that their oldest Windows lacks, and
#     both write the same report under Wine;
#   - SHA256SUMS matches, and, given a directory of packages built before
#     from the same commit (under another umask, time zone and path), every
#     package is byte for byte the same.
# Reports of different runs are compared with their date stamp masked.
#   check-release.sh [EARLIER-PACKAGES]
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
build=build/native
packages=build/packages
earlier=${1:-}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

fail() {
    echo "check-release: FAILED: $*" >&2
    failures=$((failures + 1))
}
pass() { echo "check-release: ok: $*"; }

version=$(sed -n 's/^#define KETRAV_VERSION "\(.*\)"$/\1/p' $build/generated/ketrav_version.h)
release=$(sed -n 's/^#define KETRAV_RELEASE "\(.*\)"$/\1/p' $build/generated/ketrav_version.h)
[ -n "$version" ] && [ -n "$release" ] || { echo "check-release: no version in $build" >&2; exit 1; }

# The man page.
if groff -man -Tutf8 -ww -z $build/doc/ketrav.1 2>"$scratch/groff.txt" && [ ! -s "$scratch/groff.txt" ]; then
    pass "man page renders cleanly"
else
    fail "man page: $(cat "$scratch/groff.txt")"
fi
grep -q "^\.TH KETRAV 1 .*\"KetRAV $version\"" $build/doc/ketrav.1 || fail "man page does not carry version $version"
# No word broken at a line's end, at 80 columns or at 60: a file name, a
# command or an option copied from the page must be the one to type (groff
# marks a broken word with U+2010; a hyphen of the text stays "-").
for page in $build/doc/ketrav.1 $build/doc/ru/ketrav.1; do
    for width in 80 60; do
        broken=$(groff -k -man -Tutf8 -rLL=${width}n "$page" 2>/dev/null | grep -c '‐$' || true)
        [ "$broken" -eq 0 ] && pass "$page at $width columns: no word broken" ||
            fail "$page at $width columns: $broken words broken at a line's end"
    done
done
# The Russian man page: UTF-8 through preconv, not a warning from groff.
if groff -k -ww -Tutf8 -mandoc -z $build/doc/ru/ketrav.1 2>"$scratch/groff-ru.txt" && [ ! -s "$scratch/groff-ru.txt" ]; then
    pass "Russian man page renders cleanly"
else
    fail "Russian man page: $(cat "$scratch/groff-ru.txt")"
fi
grep -q "^\.TH KETRAV 1 .*\"KetRAV $version\"" $build/doc/ru/ketrav.1 || fail "Russian man page does not carry version $version"
# README.ru.md follows README.md: the same commands and examples (their
# indented code blocks), and each links to the other.
grep '^    ' README.md >"$scratch/commands.txt"
grep '^    ' README.ru.md >"$scratch/commands.ru.txt"
if cmp -s "$scratch/commands.txt" "$scratch/commands.ru.txt"; then
    pass "README.ru.md holds README.md's commands"
else
    fail "README.ru.md and README.md differ in their commands:"
    diff "$scratch/commands.txt" "$scratch/commands.ru.txt" >&2 || true
fi
grep -q '(README.ru.md)' README.md && grep -q '(README.md)' README.ru.md || fail "README.md and README.ru.md do not link to each other"
grep -q " KetRAV v$version " README.md || fail "README's sample report does not show version $version"
# The package names the READMEs give are this release's, and no other's.
for readme in README.md README.ru.md; do
    grep -q "ketrav_$version-${release}_amd64.deb" $readme || fail "$readme does not name this release's packages"
    ! grep -E "ketrav_$version-[0-9]+_|KetRAV-$version-[0-9]+-windows" $readme | grep -v -q -e "-$release[-_]" ||
        fail "$readme names another release's packages"
done

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
    for left in KetRAV1.txt KetRAV2.txt KetRAV3.txt; do
        [ ! -e "$scratch/host-$name/$left" ] || fail "$name: $left left behind"
    done
}

# A report with the date of its run masked, so that runs on either side of
# midnight compare.
undated() {
    sed '2s/[0-9][0-9]-[0-9][0-9]-[0-9][0-9][0-9][0-9]\r$/MM-DD-YYYY\r/' "$1"
}

same_report() {
    undated "$scratch/reference.Rpt" >"$scratch/reference.undated"
    undated "$scratch/$1.Rpt" >"$scratch/$1.undated"
    if cmp -s "$scratch/reference.undated" "$scratch/$1.undated"; then
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

# The stand-in sort is what sorts: without it the run ends with 1 and
# leaves the old report as it was, and a sort on PATH is never run in its
# place.
cp -R "$scratch/prefix" "$scratch/no-sort"
rm "$scratch/no-sort/libexec/ketrav/sort"
mkdir -p "$scratch/decoy"
printf '#!/bin/sh\ntouch "%s/decoy-ran"\ncat\n' "$scratch" >"$scratch/decoy/sort"
chmod +x "$scratch/decoy/sort"
rm -rf "$scratch/host-no-sort" && mkdir -p "$scratch/host-no-sort" && cp -R examples/bbs/. "$scratch/host-no-sort/"
printf 'the last good report\r\n' >"$scratch/host-no-sort/KetRAV.Rpt"
status=0
(cd "$scratch/host-no-sort" && PATH="$scratch/decoy:$PATH" "$scratch/no-sort/bin/ketrav" T) || status=$?
[ $status -eq 1 ] || fail "without its sort: exit code $status, not 1"
[ ! -e "$scratch/decoy-ran" ] || fail "without its sort: the sort on PATH ran"
if [ "$(cat "$scratch/host-no-sort/KetRAV.Rpt")" != "$(printf 'the last good report\r')" ]; then
    fail "without its sort: the old report changed"
else
    pass "the stand-in sort is the one that sorts"
fi

# The .deb files: one per Linux architecture, the release as the Debian
# revision, statically linked programs and so no Depends, every directory
# and program 0755 and every other file 0644, whatever the builder's umask.
for arch in amd64 arm64 armhf i386; do
    package=$packages/ketrav_${version}-${release}_$arch.deb
    [ -f "$package" ] || { fail "$package missing"; continue; }
    # Only the tags count: as root, lintian warns about root on stderr.
    # spelling-error-in-binary is left out: lintian also reads "words" out of
    # the machine code, and whatever bytes the compiler lays down may spell
    # one it knows misspelt ("wtH"); the programs' own texts are ASCII
    # sentences in the sources, read there.
    if lintian -I --suppress-tags spelling-error-in-binary "$package" >"$scratch/lintian.txt" 2>"$scratch/lintian-stderr.txt" && [ ! -s "$scratch/lintian.txt" ]; then
        pass "lintian -I: $(basename "$package")"
    else
        fail "lintian -I: $(basename "$package"): $(cat "$scratch/lintian.txt" "$scratch/lintian-stderr.txt")"
    fi
    [ "$(dpkg-deb -f "$package" Architecture)" = "$arch" ] || fail "$(basename "$package"): not $arch"
    [ "$(dpkg-deb -f "$package" Version)" = "$version-$release" ] || fail "$(basename "$package"): not $version-$release"
    dpkg-deb -c "$package" | awk '{print $6}' | sort >"$scratch/contents.txt"
    for f in ./usr/bin/ketrav ./usr/libexec/ketrav/cmd ./usr/libexec/ketrav/sort ./usr/share/man/man1/ketrav.1.gz \
        ./usr/share/doc/ketrav/README.md ./usr/share/doc/ketrav/ketrav.ini ./usr/share/doc/ketrav/copyright \
        ./usr/share/doc/ketrav/changelog.Debian.gz ./usr/share/doc/ketrav/examples/bbs/logs/qtoss.log \
        ./usr/share/doc/ketrav/examples/schedule/ketrav.cron ./usr/share/doc/ketrav/examples/schedule/ketrav.service \
        ./usr/share/doc/ketrav/examples/schedule/ketrav.timer ./usr/share/doc/ketrav/examples/schedule/ketrav.logrotate \
        ./usr/share/doc/ketrav/README.ru.md ./usr/share/man/ru/man1/ketrav.1.gz; do
        grep -qx "$f" "$scratch/contents.txt" || fail "$(basename "$package"): $f missing"
    done
    dpkg-deb -c "$package" | awk '$1 != "drwxr-xr-x" && $1 != "-rw-r--r--" &&
        !($1 == "-rwxr-xr-x" && $6 ~ /^\.\/usr\/(bin|libexec)\//) {print $1, $6}' >"$scratch/modes.txt"
    [ ! -s "$scratch/modes.txt" ] || fail "$(basename "$package"): modes: $(head -3 "$scratch/modes.txt")"
    [ -z "$(dpkg-deb -f "$package" Depends)" ] ||
        fail "$(basename "$package"): Depends for static programs: $(dpkg-deb -f "$package" Depends)"
done
# The armhf .deb's programs are ARMv5TE code without Thumb-2, which the
# Raspberry Pi Zero and 1 (ARMv6) run.
armhf_deb=$packages/ketrav_${version}-${release}_armhf.deb
if [ -f "$armhf_deb" ]; then
    dpkg -x "$armhf_deb" "$scratch/armhf"
    armv6_ok=yes
    for program in usr/bin/ketrav usr/libexec/ketrav/cmd usr/libexec/ketrav/sort; do
        readelf -A "$scratch/armhf/$program" | grep -q 'Tag_CPU_arch: v5TE' || armv6_ok=no
        ! readelf -A "$scratch/armhf/$program" | grep -q 'Thumb-2' || armv6_ok=no
    done
    if [ $armv6_ok = yes ]; then
        pass "the armhf .deb's programs are ARMv5TE code, which ARMv6 runs"
    else
        fail "the armhf .deb's programs need a CPU newer than ARMv6"
    fi
fi
deb=$packages/ketrav_${version}-${release}_amd64.deb
# The source package's autopkgtest expects the build tree's report.
undated "$scratch/reference.Rpt" | cmp -s - debian/tests/sample-report.expected ||
    fail "debian/tests/sample-report.expected is not the build tree's report of the sample"
# The source package's .deb, built by `make check` in Debian 11 and 12
# roots (check-debian-source.sh): the same files as the amd64 .deb, but for
# the latter's lintian overrides (its programs are static on purpose).
listing() { dpkg-deb -c "$1" | awk '{print $1, $6}' | grep -v -e ' ./usr/share/lintian' -e ' ./$' | sort; }
[ ! -f "$deb" ] || listing "$deb" >"$scratch/cpack-files.txt"
for suite in bullseye bookworm; do
    source_deb=build/debian-source/$suite/$(basename "$deb")
    if [ ! -f "$source_deb" ]; then
        echo "check-release: skipped: the source package's .deb for $suite (make check builds it)"
    elif listing "$source_deb" >"$scratch/source-files.txt" &&
        diff "$scratch/cpack-files.txt" "$scratch/source-files.txt" >"$scratch/files.diff" 2>&1; then
        pass "$suite: the source package's .deb holds the amd64 .deb's files"
    else
        fail "$suite: the source package's .deb does not hold the amd64 .deb's files: $(head -3 "$scratch/files.diff")"
    fi
done
# The programs need no library of the system's.
if objdump -p "$build/bin/ketrav" "$build/bin/cmd" "$build/bin/sort" | grep -q NEEDED; then
    fail "the programs are not linked statically"
else
    pass "the programs need no shared library"
fi
# The documents name the examples the packages carry.
for f in examples/bbs/ examples/schedule/ ketrav.cron ketrav.service ketrav.timer ketrav.logrotate; do
    grep -q "$f" README.md || fail "README.md does not name $f"
done
if [ -f "$deb" ]; then
    dpkg -x "$deb" "$scratch/debroot"
    check_installed deb "$scratch/debroot/usr/bin/ketrav"
fi
# cmake --install under umask 027 still installs 0755 directories and
# programs and 0644 files.
(umask 027 && cmake --install $build --prefix "$scratch/prefix027" >/dev/null)
find "$scratch/prefix027" \( -type d ! -perm 0755 \) -o \( -type f ! -perm 0644 ! -perm 0755 \) >"$scratch/modes027.txt"
if [ -s "$scratch/modes027.txt" ]; then
    fail "cmake --install under umask 027: $(head -3 "$scratch/modes027.txt")"
else
    pass "cmake --install under umask 027: 0755 directories and programs, 0644 files"
fi
# A prefix of the user's own, closed to others, stays closed, and so does a
# directory of theirs below bin/: the install opens only what it makes.
mkdir -p "$scratch/private/bin/mine"
chmod 0700 "$scratch/private" "$scratch/private/bin/mine"
(umask 027 && cmake --install $build --prefix "$scratch/private" >/dev/null)
if [ "$(stat -c %a "$scratch/private" "$scratch/private/bin/mine" | tr '\n' ' ')" = "700 700 " ] &&
    [ "$(stat -c %a "$scratch/private/libexec/ketrav")" = 755 ]; then
    pass "cmake --install into a 0700 prefix leaves it, and what was there, as they were"
else
    fail "cmake --install into a 0700 prefix: $(stat -c '%a %n' "$scratch/private" "$scratch/private/bin/mine" | tr '\n' ' ')"
fi

# The month's rotation as a sysop meets it: twelve archived logs, the last
# report of the month refused (a run holds the claim), then made. Nothing
# may move while the report cannot be made; once it can, the log rotates
# on logrotate's next run and the oldest archive goes.
lr=$scratch/rotation
mkdir -p "$lr/host/logs"
cp examples/bbs/logs/qtoss.log "$lr/host/logs/qtoss.log"
echo "archive 1" >"$lr/host/logs/qtoss.log.1"
for i in 2 3 4 5 6 7 8 9 10 11 12; do echo "archive $i" | gzip -n >"$lr/host/logs/qtoss.log.$i.gz"; done
sed -e "s|/srv/bbs|$lr/host|g" -e '/^ *su bbs bbs/d' -e 's|create 0640 bbs bbs|create 0640|' \
    -e "s|runuser -u bbs -- /usr/bin/ketrav|$scratch/prefix/bin/ketrav|" examples/schedule/ketrav.logrotate >"$lr/ketrav.logrotate"
printf 'logrotate state -- version 2\n"%s/host/logs/qtoss.log" 2000-1-1-0:0:0\n' "$lr" >"$lr/state"
(cd "$lr/host/logs" && sha256sum ./* >"$lr/before")
flock "$lr/host/KetRAV.lck" logrotate -s "$lr/state" "$lr/ketrav.logrotate" 2>/dev/null && fail "rotation: ran though the report could not be made"
if (cd "$lr/host/logs" && sha256sum --quiet -c "$lr/before") && [ "$(ls "$lr/host/logs" | wc -l)" -eq 13 ] &&
    [ ! -e "$lr/host/KetRAV.Rpt" ]; then
    pass "rotation: with the month's report refused, the log and its twelve archives stay as they were"
else
    fail "rotation: the archives changed though the month's report failed"
fi
if logrotate -s "$lr/state" "$lr/ketrav.logrotate" && [ -f "$lr/host/KetRAV.Rpt" ] &&
    [ "$(zcat "$lr/host/logs/qtoss.log.12.gz")" = "archive 11" ] && [ "$(ls "$lr/host/logs" | wc -l)" -eq 13 ] &&
    cmp -s "$lr/host/logs/qtoss.log.1" examples/bbs/logs/qtoss.log; then
    pass "rotation: once the report is made, the log rotates on logrotate's next run"
else
    fail "rotation: not rotated, or rotated wrongly, once the report could be made"
fi

# Debian 11 and 12: the amd64 .deb in roots made with debootstrap upgrades
# a ketrav 1.0.E there with apt, and writes the same report as the build
# tree does.
for suite in bullseye bookworm; do
    if [ "$(id -u)" -ne 0 ] || ! command -v debootstrap >/dev/null 2>&1; then
        echo "check-release: skipped: a $suite root (making one needs root and debootstrap)"
    elif [ -f "$deb" ]; then
        if sh scripts/check-debian-root.sh "$suite" "$deb" "$scratch" "$version-$release"; then
            pass "$suite: installs, upgrades 1.0.E, and writes the same report"
        else
            fail "$suite: see above"
        fi
    fi
done

# The Windows .zip.
zip=$packages/KetRAV-$version-$release-windows.zip
top=KetRAV-$version-$release-windows
if [ -f "$zip" ]; then
    # Fixed modes in the zip too, whatever the builder's umask.
    cmake -E tar tvf "$zip" | awk '$1 != "drwxr-xr-x" && $1 != "-rw-r--r--" && $1 != "-rwxr-xr-x" {print}' \
        >"$scratch/zip-modes.txt"
    [ ! -s "$scratch/zip-modes.txt" ] || fail "zip: modes: $(head -3 "$scratch/zip-modes.txt")"
    cmake -E tar tf "$zip" | grep -v '/$' | sort >"$scratch/zip.txt"
    printf '%s\n' "$top/32-bit/ketrav.exe" "$top/64-bit/ketrav.exe" "$top/README.txt" "$top/README.ru.txt" "$top/ketrav.ini" \
        "$top/examples/bbs/logs/qtoss.log" "$top/examples/ketrav-task.cmd" "$top/examples/ketrav-post.cmd" \
        "$top/examples/ketrav-monthly.cmd" | sort >"$scratch/zip-expected.txt"
    if cmp -s "$scratch/zip.txt" "$scratch/zip-expected.txt"; then
        pass "zip holds exactly its files"
    else
        fail "zip contents: $(tr '\n' ' ' <"$scratch/zip.txt")"
    fi
    mkdir -p "$scratch/zip" && (cd "$scratch/zip" && cmake -E tar xf "$root/$zip")
    # A text for Notepad: lines, each ended by CR LF.
    crlf_throughout() {
        lines=$(tr -cd '\n' <"$1" | wc -c)
        [ "$lines" -gt 0 ] && [ "$(grep -c "$(printf '\r')\$" "$1")" = "$lines" ]
    }
    # The lines of a text over 78 characters (UTF-8: one byte a character
    # once the continuation bytes are gone).
    wider_than_78() {
        tr -d '\r' <"$1" | LC_ALL=C sed 's/[\x80-\xbf]//g' | awk 'length > 78' | head -3
    }
    readme_txt="$scratch/zip/$top/README.txt"
    if crlf_throughout "$readme_txt"; then pass "README.txt has CR LF line ends"; else fail "README.txt is not CR LF throughout"; fi
    # Plain text for Notepad: at most 78 columns, no Markdown markup, and
    # every example it names.
    too_wide=$(wider_than_78 "$readme_txt")
    [ -z "$too_wide" ] || fail "README.txt: lines over 78 columns: $too_wide"
    if tr -d '\r' <"$readme_txt" | grep -nE '^#|`|^\||\*\*|\]\(' >"$scratch/markup.txt"; then
        fail "README.txt: Markdown markup: $(head -3 "$scratch/markup.txt")"
    else
        pass "README.txt: plain text within 78 columns"
    fi
    for f in ketrav-task.cmd ketrav-post.cmd ketrav-monthly.cmd 'examples\\bbs'; do
        grep -q "$f" "$readme_txt" || fail "README.txt does not name $f"
    done
    # README.ru.txt: UTF-8 with a byte-order mark (Notepad from XP on tells
    # UTF-8 by it), CR LF throughout, at most 78 characters a line.
    readme_ru="$scratch/zip/$top/README.ru.txt"
    [ "$(head -c 3 "$readme_ru" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "README.ru.txt has no UTF-8 byte-order mark"
    iconv -f UTF-8 -t UTF-8 "$readme_ru" >/dev/null 2>&1 || fail "README.ru.txt is not UTF-8"
    crlf_throughout "$readme_ru" || fail "README.ru.txt is not CR LF throughout"
    if [ -z "$(wider_than_78 "$readme_ru")" ]; then
        pass "README.ru.txt: UTF-8 with BOM, CR LF, within 78 columns"
    else
        fail "README.ru.txt: lines over 78 columns"
    fi
    cmp -s "$scratch/zip/$top/ketrav.ini" examples/ketrav.ini || fail "zip: ketrav.ini is not the sample"
    # PE machine types: 0x8664 for x86-64, 0x014c for i386.
    pe_machine() {
        offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
        od -An -tx2 -j$((offset + 4)) -N2 "$1" | tr -d ' '
    }
    [ "$(pe_machine "$scratch/zip/$top/64-bit/ketrav.exe")" = 8664 ] || fail "64-bit/ketrav.exe is not x86-64"
    [ "$(pe_machine "$scratch/zip/$top/32-bit/ketrav.exe")" = 014c ] || fail "32-bit/ketrav.exe is not i386"
    # Each exe starts on the oldest Windows it claims (XP; XP x64 and
    # Server 2003 for 64-bit) and carries its version for Explorer.
    sh scripts/check-windows-imports.sh "$scratch/zip/$top/32-bit/ketrav.exe" 0x0501 i686-w64-mingw32-gcc-win32 ||
        fail "32-bit/ketrav.exe imports beyond Windows XP"
    sh scripts/check-windows-imports.sh "$scratch/zip/$top/64-bit/ketrav.exe" 0x0502 x86_64-w64-mingw32-gcc-win32 ||
        fail "64-bit/ketrav.exe imports beyond Windows XP x64"
    for bits in 32 64; do
        strings -el "$scratch/zip/$top/$bits-bit/ketrav.exe" >"$scratch/resource.txt"
        if grep -qx ProductName "$scratch/resource.txt" && grep -qx KetRAV "$scratch/resource.txt" &&
            grep -qx "$version" "$scratch/resource.txt"; then
            pass "$bits-bit/ketrav.exe carries its version resource ($version)"
        else
            fail "$bits-bit/ketrav.exe: no version resource with KetRAV $version"
        fi
    done
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

# The checksums, and the same bytes from a second build of the same commit.
if (cd $packages && sha256sum --quiet -c SHA256SUMS); then
    pass "SHA256SUMS matches"
else
    fail "SHA256SUMS does not match the packages"
fi
if [ -n "$earlier" ]; then
    for package in $packages/*.deb $packages/*.zip $packages/SHA256SUMS; do
        if cmp -s "$package" "$earlier/$(basename "$package")"; then
            pass "built twice, byte for byte the same: $(basename "$package")"
        else
            fail "built twice, different bytes: $(basename "$package")"
        fi
    done
fi

if [ $failures -ne 0 ]; then
    echo "check-release: $failures check(s) failed" >&2
    exit 1
fi
echo "check-release: all passed"
