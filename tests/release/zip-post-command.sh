#!/bin/sh
# The zip's ketrav-post.cmd under Wine, 64- and 32-bit, with the zip's own
# ketrav.exe: for a poster that is an .exe, a .bat and a .cmd, each ending
# with 0 and with 3, the batch file ends with 0 or 100, and each failure
# adds its line to ketrav-failed.log; where KetRAV itself fails (its
# report's name taken by a folder), it ends with KetRAV's code, 1, and
# nothing is posted.
#   zip-post-command.sh WINDOWS64-TREE WINDOWS32-TREE
. "$(dirname "$0")/common.sh"
tree64=$1
tree32=$2
[ -x "$tree64/bin/sort.exe" ] && [ -x "$tree32/bin/sort.exe" ] ||
    skip "no Windows test trees with sort.exe (make check builds them)"
command -v i686-w64-mingw32-gcc >/dev/null 2>&1 || skip "no mingw-w64 compiler for the .exe posters"
unpack_zip

mkdir -p "$scratch/posters"
for code in 0 3; do
    printf 'int main(void) { return %s; }\n' "$code" >"$scratch/poster$code.c"
    i686-w64-mingw32-gcc -o "$scratch/posters/exe$code.exe" "$scratch/poster$code.c"
    mv "$scratch/posters/exe$code.exe" "$scratch/posters/exe$code"
    printf '@exit /b %s\r\n' "$code" >"$scratch/posters/bat$code"
    cp "$scratch/posters/bat$code" "$scratch/posters/cmd$code"
done

# post BITS HOST: ketrav-post.cmd run in HOST, its own C:\BBS made HOST.
post() {
    windows_host=$(printf 'Z:%s' "$2" | sed 's|/|\\|g')
    sed "s|C:\\\\BBS|$windows_host|" "$unpacked/examples/ketrav-post.cmd" >"$2/post.cmd"
    cp "$unpacked/$1-bit/ketrav.exe" "$2/"
    if [ "$1" = 64 ]; then
        (cd "$2" && KETRAV_WINE_BIN=$tree64/bin sh "$root/cmake/wine-run.sh" cmd /c post.cmd) >/dev/null 2>&1
    else
        (cd "$2" && KETRAV_WINE_BIN=$tree32/bin sh "$root/cmake/wine-run.sh" --win32 cmd /c post.cmd) >/dev/null 2>&1
    fi
}
failed_lines() { [ -f "$1/ketrav-failed.log" ] && tr -cd '\n' <"$1/ketrav-failed.log" | wc -c || echo 0; }

for bits in 64 32; do
    for kind in exe bat cmd; do
        for code in 0 3; do
            host=$scratch/host-$bits-$kind-$code
            mkdir -p "$host" && cp -R examples/bbs/. "$host/"
            cp "$scratch/posters/$kind$code" "$host/post-command.$kind"
            status=0
            post $bits "$host" || status=$?
            if [ $code -eq 0 ]; then want=0 lines=0; else want=100 lines=1; fi
            [ $status -eq $want ] && [ "$(failed_lines "$host")" -eq $lines ] &&
                pass "$bits-bit, a .$kind poster ending with $code: $status, $lines line(s) in ketrav-failed.log" ||
                fail "$bits-bit, a .$kind poster ending with $code: $status, $(failed_lines "$host") line(s) logged"
        done
    done
    host=$scratch/host-$bits-no-report
    mkdir -p "$host/KetRAV.Rpt"
    printf '@echo posted> posted.txt\r\n' >"$host/post-command.bat"
    status=0
    post $bits "$host" || status=$?
    [ $status -eq 1 ] && [ "$(failed_lines "$host")" -eq 1 ] && [ ! -e "$host/posted.txt" ] &&
        pass "$bits-bit, KetRAV failing: 1, logged, nothing posted" ||
        fail "$bits-bit, KetRAV failing: $status, $(failed_lines "$host") line(s) logged, posted: $(ls "$host")"
done
KETRAV_WINE_BIN=$tree64/bin sh cmake/wine-run.sh --stop
KETRAV_WINE_BIN=$tree32/bin sh cmake/wine-run.sh --win32 --stop
finish
