#!/bin/sh
# The minimal Debian root of each SUITE given (debian-root.sh), made ahead
# of the checks that install the packages in them: on a machine's first
# run, beside the long builds instead of after them. Where they exist
# already, nothing is done.
. "$(dirname "$0")/common.sh"
for suite in "$@"; do
    use_debian_root "$suite"
    pass "a $suite root"
done
finish
