#!/bin/sh
# The man pages, English and Russian: each renders without a warning from
# groff, carries the build's version, and breaks no word at a line's end
# at 80 columns or at 60, so that a file name, a command or an option
# copied from the page is the one to type.
. "$(dirname "$0")/common.sh"
need_tool groff

for page in "$build/doc/ketrav.1" "$build/doc/ru/ketrav.1"; do
    # The Russian page is UTF-8: groff -k reads it through preconv.
    if groff -k -man -Tutf8 -ww -z "$page" 2>"$scratch/groff.txt" && [ ! -s "$scratch/groff.txt" ]; then
        pass "$page renders cleanly"
    else
        fail "$page: $(cat "$scratch/groff.txt")"
    fi
    grep -q "^\.TH KETRAV 1 .*\"KetRAV $version\"" "$page" && pass "$page carries version $version" ||
        fail "$page does not carry version $version"
    # groff marks a word it broke with U+2010; a hyphen of the text stays "-".
    for width in 80 60; do
        broken=$(groff -k -man -Tutf8 -rLL=${width}n "$page" 2>/dev/null | grep -c '‐$' || true)
        [ "$broken" -eq 0 ] && pass "$page at $width columns: no word broken" ||
            fail "$page at $width columns: $broken words broken at a line's end"
    done
done
finish
