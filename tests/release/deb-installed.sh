#!/bin/sh
# The amd64 .deb's program, unpacked with dpkg -x into a scratch root, run
# from an unrelated directory (also through a symlink, and with /proc
# hidden), writes the build tree's report byte for byte; and the source
# package's autopkgtest expects that same report.
. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/sample.sh"
name=$(deb_name amd64)
need_package "$name"

reference_report
dpkg -x "$packages/$name" "$scratch/debroot"
check_installed deb "$scratch/debroot/usr/bin/ketrav"
if undated "$scratch/reference.Rpt" | cmp -s - debian/tests/sample-report.expected; then
    pass "the autopkgtest expects the build tree's report"
else
    fail "debian/tests/sample-report.expected is not the build tree's report of the sample"
fi
finish
