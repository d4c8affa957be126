#!/bin/sh
# The stand-in sort is what sorts: without it the installed program ends
# with 1 and leaves the old report as it was, and a sort on PATH is never
# run in its place. The programs need no shared library of the system's.
. "$(dirname "$0")/common.sh"

cmake --install "$build" --prefix "$scratch/no-sort" >/dev/null
rm "$scratch/no-sort/libexec/ketrav/sort"
mkdir -p "$scratch/decoy" "$scratch/host"
printf '#!/bin/sh\ntouch "%s/decoy-ran"\ncat\n' "$scratch" >"$scratch/decoy/sort"
chmod +x "$scratch/decoy/sort"
cp -R examples/bbs/. "$scratch/host/"
printf 'the last good report\r\n' >"$scratch/host/KetRAV.Rpt"
status=0
(cd "$scratch/host" && PATH="$scratch/decoy:$PATH" "$scratch/no-sort/bin/ketrav" T) || status=$?
[ $status -eq 1 ] || fail "without its sort: exit code $status, not 1"
[ ! -e "$scratch/decoy-ran" ] || fail "without its sort: the sort on PATH ran"
if [ "$(cat "$scratch/host/KetRAV.Rpt")" != "$(printf 'the last good report\r')" ]; then
    fail "without its sort: the old report changed"
else
    pass "without its sort: 1, the old report kept, no sort from PATH"
fi

if objdump -p "$build/bin/ketrav" "$build/bin/cmd" "$build/bin/sort" | grep -q NEEDED; then
    fail "the programs are not linked statically"
else
    pass "the programs need no shared library"
fi
finish
