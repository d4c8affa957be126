#!/bin/sh
# The Windows .zip holds exactly its files, with fixed modes whatever the
# builder's umask, the sample ketrav.ini as it is, what changed and the
# runtime's licences.
. "$(dirname "$0")/common.sh"
unpack_zip
zip=$packages/$zip_top.zip

cmake -E tar tvf "$zip" | awk '$1 != "drwxr-xr-x" && $1 != "-rw-r--r--" && $1 != "-rwxr-xr-x" {print}' >"$scratch/modes.txt"
[ ! -s "$scratch/modes.txt" ] && pass "fixed modes" || fail "modes: $(head -3 "$scratch/modes.txt")"
cmake -E tar tf "$zip" | grep -v '/$' | sort >"$scratch/listing.txt"
printf '%s\n' "$zip_top/32-bit/ketrav.exe" "$zip_top/64-bit/ketrav.exe" "$zip_top/README.txt" "$zip_top/README.ru.txt" \
    "$zip_top/CHANGES.txt" "$zip_top/NOTICES.txt" \
    "$zip_top/ketrav.ini" "$zip_top/examples/bbs/logs/qtoss.log" "$zip_top/examples/ketrav-task.cmd" \
    "$zip_top/examples/ketrav-post.cmd" "$zip_top/examples/ketrav-monthly.cmd" | sort >"$scratch/expected.txt"
if cmp -s "$scratch/listing.txt" "$scratch/expected.txt"; then
    pass "the zip holds exactly its files"
else
    fail "zip contents: $(tr '\n' ' ' <"$scratch/listing.txt")"
fi
# What changed, written for Windows (zip-readmes.sh checks its form), and
# the notices of the runtime linked into ketrav.exe.
tr -d '\r' <"$unpacked/CHANGES.txt" >"$scratch/changes.txt"
grep -q "^$version (" "$scratch/changes.txt" && pass "CHANGES.txt has this release's section" ||
    fail "CHANGES.txt has no section for $version"
grep -q 'GCC RUNTIME LIBRARY EXCEPTION' "$unpacked/NOTICES.txt" && grep -q 'Zope Public License' "$unpacked/NOTICES.txt" &&
    pass "NOTICES.txt carries the runtime's licences" || fail "NOTICES.txt lacks the runtime's licences"
cmp -s "$unpacked/ketrav.ini" examples/ketrav.ini && pass "ketrav.ini is the sample" || fail "ketrav.ini is not the sample"
finish
