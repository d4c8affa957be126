#!/bin/sh
# One .deb (deb.sh ARCH): lintian, informational tags included, finds
# nothing; the architecture and the release as the Debian revision; the
# files the documents name, the examples among them; every directory and
# program 0755 and every other file 0644, whatever the builder's umask; no
# Depends, as the programs are static, but Built-Using for what they carry. The armhf .deb's programs are
# ARMv5TE code without Thumb-2, which the Raspberry Pi Zero and 1 (ARMv6)
# run.
. "$(dirname "$0")/common.sh"
need_tool lintian dpkg-deb readelf
arch=$1
name=$(deb_name "$arch")
need_package "$name"
package=$packages/$name

# Only the tags count: as root, lintian warns about root on stderr.
# spelling-error-in-binary is left out: lintian also reads "words" out of
# the machine code, and whatever bytes the compiler lays down may spell one
# it knows misspelt ("wtH"); the programs' own texts are ASCII sentences in
# the sources, read there.
if lintian -I --suppress-tags spelling-error-in-binary "$package" >"$scratch/lintian.txt" 2>"$scratch/lintian-stderr.txt" &&
    [ ! -s "$scratch/lintian.txt" ]; then
    pass "lintian -I: $name"
else
    fail "lintian -I: $name: $(cat "$scratch/lintian.txt" "$scratch/lintian-stderr.txt")"
fi
[ "$(dpkg-deb -f "$package" Architecture)" = "$arch" ] || fail "$name: not $arch"
[ "$(dpkg-deb -f "$package" Version)" = "$version-$revision" ] || fail "$name: not $version-$revision"
dpkg-deb -c "$package" | awk '{print $6}' | sort >"$scratch/contents.txt"
for f in ./usr/bin/ketrav ./usr/libexec/ketrav/cmd ./usr/libexec/ketrav/sort ./usr/share/man/man1/ketrav.1.gz \
    ./usr/share/doc/ketrav/README.md ./usr/share/doc/ketrav/ketrav.ini ./usr/share/doc/ketrav/copyright \
    ./usr/share/doc/ketrav/changelog.Debian.gz ./usr/share/doc/ketrav/NEWS.Debian.gz ./usr/share/doc/ketrav/examples/bbs/logs/qtoss.log \
    ./usr/share/doc/ketrav/examples/schedule/ketrav.cron ./usr/share/doc/ketrav/examples/schedule/ketrav.service \
    ./usr/share/doc/ketrav/examples/schedule/ketrav.timer ./usr/share/doc/ketrav/examples/schedule/ketrav.logrotate \
    ./usr/share/doc/ketrav/README.ru.md ./usr/share/man/ru/man1/ketrav.1.gz; do
    grep -qx "$f" "$scratch/contents.txt" || fail "$name: $f missing"
done
dpkg-deb -c "$package" | awk '$1 != "drwxr-xr-x" && $1 != "-rw-r--r--" &&
    !($1 == "-rwxr-xr-x" && $6 ~ /^\.\/usr\/(bin|libexec)\//) {print $1, $6}' >"$scratch/modes.txt"
[ ! -s "$scratch/modes.txt" ] || fail "$name: modes: $(head -3 "$scratch/modes.txt")"
[ -z "$(dpkg-deb -f "$package" Depends)" ] || fail "$name: Depends for static programs: $(dpkg-deb -f "$package" Depends)"
# What the static programs carry instead: the C library's and GCC's source
# packages, natively or as the cross toolchains package them.
built_using=$(dpkg-deb -f "$package" Built-Using)
echo "$built_using" | grep -qE '(^|, )(glibc|cross-toolchain-base) \(= [^)]+\)' &&
    echo "$built_using" | grep -qE '(^|, )gcc-[0-9]+(-cross)? \(= [^)]+\)' ||
    fail "$name: Built-Using does not name the C library and GCC: '$built_using'"
[ $failures -ne 0 ] || pass "$name: $arch, $version-$revision, its files, fixed modes, no Depends, Built-Using $built_using"

if [ "$arch" = armhf ]; then
    dpkg -x "$package" "$scratch/armhf"
    armv6_ok=yes
    for program in usr/bin/ketrav usr/libexec/ketrav/cmd usr/libexec/ketrav/sort; do
        readelf -A "$scratch/armhf/$program" | grep -q 'Tag_CPU_arch: v5TE' || armv6_ok=no
        ! readelf -A "$scratch/armhf/$program" | grep -q 'Thumb-2' || armv6_ok=no
    done
    [ $armv6_ok = yes ] && pass "the armhf .deb's programs are ARMv5TE code, which ARMv6 runs" ||
        fail "the armhf .deb's programs need a CPU newer than ARMv6"
fi
finish
