#!/bin/sh
# Under Wine, with its own cmd and the test trees' sort.exe (Windows has
# its own; Wine has none), both of the zip's ketrav.exe write the build
# tree's report.
#   zip-under-wine.sh WINDOWS64-TREE WINDOWS32-TREE
. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/sample.sh"
tree64=$1
tree32=$2
[ -x "$tree64/bin/sort.exe" ] && [ -x "$tree32/bin/sort.exe" ] ||
    skip "no Windows test trees with sort.exe (make check builds them)"
unpack_zip

reference_report
KETRAV_WINE_BIN=$tree64/bin run_on_sample win64 sh "$root/cmake/wine-run.sh" "$unpacked/64-bit/ketrav.exe"
same_report win64
KETRAV_WINE_BIN=$tree32/bin run_on_sample win32 sh "$root/cmake/wine-run.sh" --win32 "$unpacked/32-bit/ketrav.exe"
same_report win32
KETRAV_WINE_BIN=$tree64/bin sh cmake/wine-run.sh --stop
KETRAV_WINE_BIN=$tree32/bin sh cmake/wine-run.sh --win32 --stop
finish
