#!/bin/sh
# SHA256SUMS names every package and matches it.
. "$(dirname "$0")/common.sh"
need_package SHA256SUMS
(cd "$packages" && ls ./*.deb ./*.zip | sed 's|^\./||' | sort) >"$scratch/made.txt"
sed 's/^[0-9a-f]*  //' "$packages/SHA256SUMS" | sort >"$scratch/named.txt"
cmp -s "$scratch/made.txt" "$scratch/named.txt" && pass "SHA256SUMS names every package" ||
    fail "SHA256SUMS names $(tr '\n' ' ' <"$scratch/named.txt")"
(cd "$packages" && sha256sum --quiet -c SHA256SUMS) && pass "SHA256SUMS matches" || fail "SHA256SUMS does not match the packages"
finish
