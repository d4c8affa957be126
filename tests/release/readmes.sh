#!/bin/sh
# The READMEs: README.ru.md follows README.md (the same commands and
# examples, their indented code blocks, and each links to the other); the
# sample report shows this version; the packages they name are this
# release's and no other's; README.md names the examples the packages
# carry.
. "$(dirname "$0")/common.sh"

grep '^    ' README.md >"$scratch/commands.txt"
grep '^    ' README.ru.md >"$scratch/commands.ru.txt"
if cmp -s "$scratch/commands.txt" "$scratch/commands.ru.txt"; then
    pass "README.ru.md holds README.md's commands"
else
    fail "README.ru.md and README.md differ in their commands:"
    diff "$scratch/commands.txt" "$scratch/commands.ru.txt" >&2 || true
fi
grep -q '(README.ru.md)' README.md && grep -q '(README.md)' README.ru.md && pass "the READMEs link to each other" ||
    fail "README.md and README.ru.md do not link to each other"
grep -q " KetRAV v$report_version " README.md && pass "the sample report shows version $report_version" ||
    fail "README's sample report does not show version $report_version"
for readme in README.md README.ru.md; do
    grep -q "ketrav_$version-${revision}_amd64.deb" $readme || fail "$readme does not name this release's packages"
    if grep -oE "ketrav_[0-9][^_ ]*_|KetRAV-[0-9][^ ]*-windows" $readme |
        grep -v -q -x -e "ketrav_$version-${revision}_" -e "KetRAV-$version-windows"; then
        fail "$readme names another release's packages"
    else
        pass "$readme names this release's packages alone"
    fi
done
for f in examples/bbs/ examples/schedule/ ketrav.cron ketrav.service ketrav.timer ketrav.logrotate; do
    grep -q "$f" README.md || fail "README.md does not name $f"
done
finish
