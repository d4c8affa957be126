#!/bin/sh
# Whole runs of ketrav on generated logs: a large ordinary log, and single
# import lines of 25 MB and 100 MB (time should grow in proportion).
# Usage: bench/run.sh BUILD_DIR
set -eu
build=$(cd "${1:-build/bench}" && pwd)
bin="$build/bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/logs"
cd "$work"

timed() {
    label=$1
    shift
    start=$(date +%s.%N)
    "$@"
    end=$(date +%s.%N)
    printf '%-40s %8.2f s\n' "$label" "$(echo "$end - $start" | bc)"
}

"$bin/log_generator" logs/qtoss.log --days 3650 --sessions 24
printf 'ordinary log: %s bytes, %s imports\n' "$(wc -c < logs/qtoss.log)" "$(grep -c '  Import #' logs/qtoss.log)"
timed "ketrav, ordinary log" "$bin/ketrav" Benchmark

for mb in 25 100; do
    "$bin/log_generator" logs/qtoss.log --long-line $((mb * 1000000))
    timed "ketrav, one line of $mb MB" "$bin/ketrav" Benchmark
done

if [ -x "$bin/services_bench" ]; then "$bin/services_bench" --benchmark_min_time=0.2; fi
