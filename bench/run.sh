#!/bin/sh
# Whole runs side by side on generated logs: KetRAV, the floor of its fixed
# file pattern (bench/floor) and the pipeline
#   grep -F '  Import #' LOG | sed 's/.* to //' | LC_ALL=C sort | uniq -c
# timed by hyperfine (CPU time: user + system of the whole process tree, the
# mean of the runs); KetRAV against the floor also as pairs run in turn
# (one KetRAV run, then one floor run, and again), so that a machine whose
# speed drifts during the session weighs on both alike: the ratio given is
# the median of the pairs' ratios. With the peak memory of ketrav alone and of the sort
# stand-in alone (GNU time), and a run of the largest log under a 256 MB
# address-space limit, whose report must match the unlimited one.
#
# Usage: bench/run.sh BUILD_DIR [SIZE_MB...]     (sizes default to 10 100 1000)
# Environment: RUNS (runs per command, and pairs; default 10, 5 and 3 by size),
#              BENCH_DIR (where the logs go; default a temporary directory,
#              removed at the end), MICRO=0 to skip the micro benchmarks.
set -eu
build=$(cd "${1:-build/bench}" && pwd)
shift || true
sizes=${*:-10 100 1000}
bin="$build/bin"
for tool in hyperfine /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "run.sh needs $tool (make bench installs it)" >&2; exit 1; }
done
if [ -n "${BENCH_DIR:-}" ]; then
    work=$BENCH_DIR
    mkdir -p "$work"
else
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi

# ketrav alone: a copy whose "cmd" only copies in the sorted records the
# floor made, so that GNU time's peak is ketrav's and not the sort's.
solo="$work/solo"
mkdir -p "$solo"
cp "$bin/ketrav" "$solo/ketrav"
printf '#!/bin/sh\nexec cp "$KETRAV_BENCH_SORTED" KetRAV2.txt\n' > "$solo/cmd"
chmod +x "$solo/cmd"

cpu_of() {  # CSV of hyperfine, command name -> user + system in seconds
    awk -F, -v name="$2" '$1 == name { printf "%.3f", $5 + $6 }' "$1"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
cpu_of_run() {  # user + system seconds of one command and everything it waited for
    /usr/bin/time -f '%U %S' -o "$work/time" "$@" >/dev/null 2>&1
    awk '{ printf "%.3f", $1 + $2 }' "$work/time"
}
# The median of the ratios of `runs` pairs, KetRAV's run first in each.
paired_ratio() {
    i=0
    : > "$work/pairs"
    while [ "$i" -lt "$runs" ]; do
        k=$(cpu_of_run "$bin/ketrav" Benchmark)
        f=$(cpu_of_run "$bin/floor" logs/qtoss.log)
        ratio "$k" "$f" >> "$work/pairs"
        echo >> "$work/pairs"
        i=$((i + 1))
    done
    sort -n "$work/pairs" | awk '{ r[NR] = $1 } END { printf "%.2f", NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2 }'
}

rows=""
for mb in $sizes; do
    host="$work/host-$mb"
    mkdir -p "$host/logs"
    cd "$host"
    [ -s logs/qtoss.log ] || "$bin/log_generator" logs/qtoss.log --size $((mb * 1000000)) --sessions 24
    records=$(grep -c -F '  Import #' logs/qtoss.log)
    runs=${RUNS:-$([ "$mb" -le 10 ] && echo 10 || ([ "$mb" -le 100 ] && echo 5 || echo 3))}
    echo "== $mb MB log, $records records, $runs runs each"

    hyperfine --style basic --warmup 1 --runs "$runs" --export-csv "$work/times-$mb.csv" \
        -n ketrav "$bin/ketrav Benchmark" \
        -n floor "$bin/floor logs/qtoss.log" \
        -n pipeline "grep -F '  Import #' logs/qtoss.log | sed 's/.* to //' | LC_ALL=C sort | uniq -c >/dev/null"
    "$bin/ketrav" Benchmark
    cp KetRAV.Rpt "$work/report-$mb.Rpt"
    "$bin/floor" logs/qtoss.log  # its call counts, and the records for the peaks below

    ketrav_cpu=$(cpu_of "$work/times-$mb.csv" ketrav)
    floor_cpu=$(cpu_of "$work/times-$mb.csv" floor)
    pipeline_cpu=$(cpu_of "$work/times-$mb.csv" pipeline)
    paired=$(paired_ratio)
    echo "KetRAV/floor in $runs pairs run in turn: $(tr '\n' ' ' < "$work/pairs")(median $paired)"
    # The sort first: the solo run removes the records when it ends.
    sort_peak=$(/usr/bin/time -f %M "$bin/sort" KetRAV1.txt 2>&1 >/dev/null)
    mv KetRAV2.txt "$work/sorted-$mb.txt"
    ketrav_peak=$(KETRAV_BENCH_SORTED="$work/sorted-$mb.txt" /usr/bin/time -f %M "$solo/ketrav" Benchmark 2>&1 >/dev/null)
    rm -f KetRAV1.txt KetRAV.Rpt "$work/sorted-$mb.txt"
    rows="$rows$(printf '%6s MB %10s %9s s %9s s %6s %6s %9s s %6s %9s KB %9s KB' "$mb" "$records" "$ketrav_cpu" \
        "$floor_cpu" "$(ratio "$ketrav_cpu" "$floor_cpu")" "$paired" "$pipeline_cpu" \
        "$(ratio "$ketrav_cpu" "$pipeline_cpu")" "$ketrav_peak" "$sort_peak")
"
    largest=$mb
done

echo
echo "CPU time (user + system, mean of the runs) and peak resident memory"
printf '%9s %10s %11s %11s %6s %6s %11s %6s %12s %12s\n' log records ketrav floor k/f pairs pipeline k/p "ketrav peak" "sort peak"
printf '%s' "$rows"

# The largest log once more, with every process limited to 256 MB of
# address space: the report must be the same.
cd "$work/host-$largest"
if prlimit --as=268435456 "$bin/ketrav" Benchmark && cmp -s KetRAV.Rpt "$work/report-$largest.Rpt"; then
    echo "under a 256 MB address-space limit the $largest MB log gives the same report"
else
    echo "under a 256 MB address-space limit the $largest MB log does NOT give the same report"
fi

if [ "${MICRO:-1}" != 0 ] && [ -x "$bin/services_bench" ]; then
    cd "$work"
    "$bin/services_bench" --benchmark_min_time=0.2
fi
