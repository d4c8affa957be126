#!/bin/sh
# The Windows READMEs as Notepad shows them: README.txt plain text (no
# Markdown markup), CR LF throughout, at most 78 columns, naming every
# example; README.ru.txt UTF-8 with a byte-order mark (Notepad from XP on
# tells UTF-8 by it), CR LF throughout, at most 78 characters a line.
. "$(dirname "$0")/common.sh"
need_tool iconv
unpack_zip

crlf_throughout() {
    lines=$(tr -cd '\n' <"$1" | wc -c)
    [ "$lines" -gt 0 ] && [ "$(grep -c "$(printf '\r')\$" "$1")" = "$lines" ]
}
# UTF-8: one byte a character once the continuation bytes are gone.
wider_than_78() {
    tr -d '\r' <"$1" | LC_ALL=C sed 's/[\x80-\xbf]//g' | awk 'length > 78' | head -3
}

readme=$unpacked/README.txt
crlf_throughout "$readme" && pass "README.txt has CR LF line ends" || fail "README.txt is not CR LF throughout"
too_wide=$(wider_than_78 "$readme")
[ -z "$too_wide" ] || fail "README.txt: lines over 78 columns: $too_wide"
if tr -d '\r' <"$readme" | grep -nE '^#|`|^\||\*\*|\]\(' >"$scratch/markup.txt"; then
    fail "README.txt: Markdown markup: $(head -3 "$scratch/markup.txt")"
else
    pass "README.txt: plain text"
fi
for f in ketrav-task.cmd ketrav-post.cmd ketrav-monthly.cmd 'examples\\bbs'; do
    grep -q "$f" "$readme" || fail "README.txt does not name $f"
done

for text in CHANGES.txt NOTICES.txt; do
    crlf_throughout "$unpacked/$text" && pass "$text: CR LF" || fail "$text: not CR LF throughout"
done
# The changes are written for Windows: plain text within 78 columns, and
# in each release what concerns Windows before any note marked (Linux).
changes=$unpacked/CHANGES.txt
[ -z "$(wider_than_78 "$changes")" ] || fail "CHANGES.txt: lines over 78 columns: $(wider_than_78 "$changes")"
if tr -d '\r' <"$changes" | grep -nE '^#|`|^\||\*\*|\]\(' >"$scratch/changes-markup.txt"; then
    fail "CHANGES.txt: Markdown markup: $(head -3 "$scratch/changes-markup.txt")"
else
    pass "CHANGES.txt: plain text"
fi
linux_first=$(tr -d '\r' <"$changes" | awk '/^-+$/ { first = 1; next } first && /^  \* / { if ($2 == "(Linux)") print prev; first = 0 } { prev = $0 }')
[ -z "$linux_first" ] && pass "CHANGES.txt: Windows first in every release" ||
    fail "CHANGES.txt: a release opens with a Linux note: $linux_first"

readme_ru=$unpacked/README.ru.txt
[ "$(head -c 3 "$readme_ru" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "README.ru.txt has no UTF-8 byte-order mark"
iconv -f UTF-8 -t UTF-8 "$readme_ru" >/dev/null 2>&1 || fail "README.ru.txt is not UTF-8"
crlf_throughout "$readme_ru" || fail "README.ru.txt is not CR LF throughout"
[ -z "$(wider_than_78 "$readme_ru")" ] && pass "README.ru.txt: UTF-8 with BOM, CR LF, within 78 columns" ||
    fail "README.ru.txt: lines over 78 columns"
finish
