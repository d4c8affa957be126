#!/bin/sh
# Every package, built a second time from scratch (another build
# directory, no compile cache, umask 027, another time zone), is byte for
# byte the same as the first.
#   reproducible.sh AGAIN-PACKAGES
. "$(dirname "$0")/common.sh"
again=$1
need_package SHA256SUMS
for package in "$packages"/*.deb "$packages"/*.zip "$packages/SHA256SUMS"; do
    if cmp -s "$package" "$again/$(basename "$package")"; then
        pass "built twice, byte for byte the same: $(basename "$package")"
    else
        fail "built twice, different bytes: $(basename "$package")"
    fi
done
finish
