#!/bin/sh
# The Makefile with a CMake older than the presets need (3.18, Debian 11's):
# a tree's target and a workflow's say what is missing and stop, instead
# of a missing target.
. "$(dirname "$0")/common.sh"
need_tool make
mkdir -p "$scratch/old-cmake"
printf '#!/bin/sh\n[ "$1" = --version ] && echo "cmake version 3.18.4" && exit 0\necho "CMake Error: unknown option $1" >&2\nexit 1\n' \
    >"$scratch/old-cmake/cmake"
chmod +x "$scratch/old-cmake/cmake"
for target in native test-native release-builds; do
    code=0
    PATH=$scratch/old-cmake:$PATH make --no-print-directory -C "$root" $target >"$scratch/make.log" 2>&1 || code=$?
    if [ $code -ne 0 ] && grep -q 'need CMake 3.25 or later; this machine has 3.18.4' "$scratch/make.log"; then
        pass "make $target with CMake 3.18: says what is missing, ends $code"
    else
        fail "make $target with CMake 3.18 ended $code: $(tail -2 "$scratch/make.log")"
    fi
done
finish
