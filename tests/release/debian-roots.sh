#!/bin/sh
# The minimal Debian root of each SUITE given (debian-root.sh), made ahead
# of the checks that install the packages in them: on a machine's first
# run, beside the long builds instead of after them. Where they exist
# already, nothing is done.
. "$(dirname "$0")/common.sh"
[ "$(id -u)" -eq 0 ] && command -v debootstrap >/dev/null 2>&1 ||
    skip "Debian roots (making one needs root and debootstrap)"
for suite in "$@"; do
    if sh tests/release/debian-root.sh "$suite" "$scratch/$suite.log" >/dev/null; then
        pass "a $suite root"
    else
        fail "a $suite root could not be made"
    fi
done
finish
