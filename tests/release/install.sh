#!/bin/sh
# `cmake --install` as a sysop building from source uses it: the files in
# place and no helper on PATH; the installed program, run from an
# unrelated directory (also through a symlink, and with /proc hidden),
# writes the build tree's report byte for byte; under umask 027 it still
# installs 0755 directories and programs and 0644 files; and a prefix of
# the user's own, closed to others, stays closed, with what was there.
. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/sample.sh"

cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
for f in bin/ketrav libexec/ketrav/cmd libexec/ketrav/sort share/man/man1/ketrav.1.gz \
    share/doc/ketrav/README.md share/doc/ketrav/ketrav.ini; do
    [ -f "$scratch/prefix/$f" ] || fail "install: $f missing"
done
for f in bin/cmd bin/sort; do
    [ ! -e "$scratch/prefix/$f" ] || fail "install: $f must not be installed"
done
reference_report
check_installed installed "$scratch/prefix/bin/ketrav"

(umask 027 && cmake --install "$build" --prefix "$scratch/prefix027" >/dev/null)
find "$scratch/prefix027" \( -type d ! -perm 0755 \) -o \( -type f ! -perm 0644 ! -perm 0755 \) >"$scratch/modes027.txt"
if [ -s "$scratch/modes027.txt" ]; then
    fail "cmake --install under umask 027: $(head -3 "$scratch/modes027.txt")"
else
    pass "cmake --install under umask 027: 0755 directories and programs, 0644 files"
fi

mkdir -p "$scratch/private/bin/mine"
chmod 0700 "$scratch/private" "$scratch/private/bin/mine"
(umask 027 && cmake --install "$build" --prefix "$scratch/private" >/dev/null)
if [ "$(stat -c %a "$scratch/private" "$scratch/private/bin/mine" | tr '\n' ' ')" = "700 700 " ] &&
    [ "$(stat -c %a "$scratch/private/libexec/ketrav")" = 755 ]; then
    pass "cmake --install into a 0700 prefix leaves it, and what was there, as they were"
else
    fail "cmake --install into a 0700 prefix: $(stat -c '%a %n' "$scratch/private" "$scratch/private/bin/mine" | tr '\n' ' ')"
fi
finish
