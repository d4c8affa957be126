#!/bin/sh
# Fails when a Windows program imports a function that the oldest Windows
# it claims lacks, so that Windows refuses to start it there.
#   check-windows-imports.sh EXE WINNT CC
# WINNT is that Windows' _WIN32_WINNT (0x0501 XP, 0x0502 XP x64 and Server
# 2003), CC the mingw-w64 C compiler of the EXE's architecture. Every name
# the EXE imports from a system DLL is referred to in a C file compiled
# with _WIN32_WINNT=WINNT: the mingw-w64 headers declare a function only for
# the Windows versions that have it, so a newer one fails to compile. The C
# runtime (msvcrt.dll) is checked the same way against its headers for the
# msvcrt.dll that XP ships (__MSVCRT_VERSION__ 0x0700); its start-up entry
# points, which no header declares, are taken from mingw-w64's own XP-era
# start-up code. The subsystem version in the program's header must not be
# newer than WINNT either.
set -eu
exe=$1
winnt=$2
cc=$3
objdump=$(echo "$cc" | sed 's/-gcc.*$/-objdump/')
scratch=$(mktemp -d)
trap '[ -n "${KEEP_SCRATCH:-}" ] || rm -rf "$scratch"' EXIT

"$objdump" -p "$exe" | awk '
    /DLL Name:/ { dll = toupper($3); next }
    /^\t[0-9a-f]+\t +[0-9]+  [A-Za-z_]/ && dll != "" { print dll, $3 }
    /^$/ { dll = "" }' >"$scratch/imports.txt"
[ -s "$scratch/imports.txt" ] || { echo "check-windows-imports: no imports read from $exe" >&2; exit 1; }

# Windows also refuses a program whose header asks for a newer subsystem.
subsystem=$("$objdump" -p "$exe" | awk '/MajorSubsystemVersion/ {major = $2} /MinorSubsystemVersion/ {minor = $2}
    END {printf "0x%02x%02x", major, minor}')
if [ $((subsystem)) -gt $((winnt)) ]; then
    echo "check-windows-imports: FAILED: $exe asks for subsystem version $subsystem, newer than $winnt" >&2
    exit 1
fi

# msvcrt.dll's start-up and internal entry points of XP's msvcrt, which the
# mingw-w64 start-up code calls and no public header declares.
startup="__C_specific_handler __getmainargs __initenv __iob_func __lconv_init __p__acmdln __p__commode __p__fmode
__set_app_type __setusermatherr _amsg_exit _cexit _commode _fmode _initterm _lock _onexit _unlock __dllonexit
_XcptFilter __p___argc __p___argv __p__environ _acmdln _errno _iob __mb_cur_max _vsnprintf _snwprintf"

{
    echo "#define _WIN32_WINNT $winnt"
    echo "#define WINVER $winnt"
    echo "#define __MSVCRT_VERSION__ 0x0700"
    for header in windows.h ntsecapi.h stdio.h stdlib.h string.h wchar.h locale.h signal.h time.h math.h errno.h io.h \
        fcntl.h process.h malloc.h ctype.h conio.h direct.h sys/stat.h sys/timeb.h setjmp.h; do
        echo "#include <$header>"
    done
    echo "void *const imported[] = {"
    while read -r dll name; do
        if [ "$dll" = MSVCRT.DLL ]; then
            case " $(echo $startup) " in *" $name "*) continue ;; esac
        fi
        echo "    (void *)&$name, /* $dll */"
    done <"$scratch/imports.txt"
    echo "};"
} >"$scratch/imports.c"

if LC_ALL=C "$cc" -c -std=gnu11 -Werror=implicit-function-declaration -o "$scratch/imports.o" "$scratch/imports.c" \
    2>"$scratch/errors.txt"; then
    echo "check-windows-imports: ok: $(basename "$exe"): $(wc -l <"$scratch/imports.txt") imports, none beyond _WIN32_WINNT $winnt"
else
    echo "check-windows-imports: FAILED: $exe imports what _WIN32_WINNT $winnt lacks:" >&2
    grep -o "'[A-Za-z_0-9]*' undeclared" "$scratch/errors.txt" | sort -u >&2 || cat "$scratch/errors.txt" >&2
    exit 1
fi
