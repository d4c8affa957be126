# Sourced by the release checks that run a program on the sample host
# directory (examples/bbs/) and compare its report with the build tree's.
# Reports of different runs are compared with their date stamp masked.

# run_on_sample NAME PROGRAM...: runs PROGRAM with the sample's title in a
# fresh copy of examples/bbs/ and keeps its report as $scratch/NAME.Rpt.
run_on_sample() {
    sample=$1
    shift
    rm -rf "$scratch/host-$sample"
    mkdir -p "$scratch/host-$sample"
    cp -R examples/bbs/. "$scratch/host-$sample/"
    (cd "$scratch/host-$sample" && "$@" Fidonet Region 99 Echomail) || fail "$sample: exit code $?"
    cp "$scratch/host-$sample/KetRAV.Rpt" "$scratch/$sample.Rpt" 2>/dev/null || fail "$sample: no report"
    for left in KetRAV1.txt KetRAV2.txt KetRAV3.txt; do
        [ ! -e "$scratch/host-$sample/$left" ] || fail "$sample: $left left behind"
    done
}

# A report with the date of its run masked, so that runs on either side of
# midnight compare.
undated() {
    sed '2s/[0-9][0-9]-[0-9][0-9]-[0-9][0-9][0-9][0-9]\r$/MM-DD-YYYY\r/' "$1"
}

# The build tree's own report of the sample, the one every other is held to.
reference_report() {
    run_on_sample reference "$build/bin/ketrav"
    grep -q "^SU.GENERAL \.* : " "$scratch/reference.Rpt" || fail "the build tree's report lists no areas"
}

same_report() {
    undated "$scratch/reference.Rpt" >"$scratch/reference.undated"
    undated "$scratch/$1.Rpt" >"$scratch/$1.undated"
    if cmp -s "$scratch/reference.undated" "$scratch/$1.undated"; then
        pass "$1: the build tree's report, byte for byte"
    else
        fail "$1: report differs from the build tree's"
        diff "$scratch/reference.Rpt" "$scratch/$1.Rpt" >&2 || true
    fi
}

# Hides /proc from the program, as a chroot or a container may.
without_proc() {
    unshare -m sh -c 'mount -t tmpfs none /proc && exec "$0" "$@"' "$@"
}

# check_installed NAME BIN: the program at BIN, directly, through a symlink
# and with /proc hidden (where this machine can hide it).
check_installed() {
    run_on_sample "$1" "$2"
    same_report "$1"
    ln -s "$2" "$scratch/$1-link"
    run_on_sample "$1-symlink" "$scratch/$1-link"
    same_report "$1-symlink"
    if unshare -m sh -c 'mount -t tmpfs none /proc && test ! -e /proc/self/exe' 2>/dev/null; then
        run_on_sample "$1-without-proc" without_proc "$2"
        same_report "$1-without-proc"
    else
        echo "$check: not tried: $1 with /proc hidden (cannot unshare here)"
    fi
}
