#!/bin/sh
# The zip's two ketrav.exe: the right machine type (0x8664 x86-64, 0x014c
# i386), no import that their oldest Windows lacks (XP; XP x64 and Server
# 2003 for 64-bit), so that it starts there, and a version resource that
# Explorer shows.
. "$(dirname "$0")/common.sh"
need_tool strings i686-w64-mingw32-gcc-win32 x86_64-w64-mingw32-gcc-win32 i686-w64-mingw32-objdump x86_64-w64-mingw32-objdump
unpack_zip

pe_machine() {
    offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    od -An -tx2 -j$((offset + 4)) -N2 "$1" | tr -d ' '
}
for entry in 32:014c:0x0501:i686 64:8664:0x0502:x86_64; do
    IFS=: read -r bits machine winnt cpu <<END
$entry
END
    exe=$unpacked/$bits-bit/ketrav.exe
    [ "$(pe_machine "$exe")" = "$machine" ] && pass "$bits-bit/ketrav.exe: machine $machine" ||
        fail "$bits-bit/ketrav.exe: not machine $machine"
    sh tests/release/windows-imports.sh "$exe" "$winnt" "$cpu-w64-mingw32-gcc-win32" &&
        pass "$bits-bit/ketrav.exe: nothing imported that Windows $winnt lacks" ||
        fail "$bits-bit/ketrav.exe imports beyond Windows $winnt"
    strings -n 3 -el "$exe" >"$scratch/resource.txt"
    if grep -qx ProductName "$scratch/resource.txt" && grep -qx KetRAV "$scratch/resource.txt" &&
        grep -qx "$version" "$scratch/resource.txt"; then
        pass "$bits-bit/ketrav.exe carries its version resource ($version)"
    else
        fail "$bits-bit/ketrav.exe: no version resource with KetRAV $version"
    fi
done
finish
