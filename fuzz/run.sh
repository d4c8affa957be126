#!/bin/sh
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan), checks that
# the layers carry coverage counters (else the fuzzers would fuzz blind),
# and runs each target for SECONDS (60 unless given) on a copy of its seed
# corpus in fuzz/corpus/. Usage: fuzz/run.sh [SECONDS]
set -eu
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/fuzz"
CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DKETRAV_FUZZ=ON \
    -DKETRAV_SANITIZE=ON -DKETRAV_COMPILE_CACHE=ON >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null
for library in ketrav_platform ketrav_services ketrav_report ketrav_standins; do
    counters=$(nm "$build/src/lib$library.a" | grep -c __sanitizer_cov || true)
    if [ "$counters" -eq 0 ]; then
        echo "fuzz: lib$library.a carries no coverage counters" >&2
        exit 1
    fi
done
for source in "$root"/fuzz/*_fuzz.cpp; do
    target=$(basename "$source" .cpp)
    seeds="$root/fuzz/corpus/$target"
    # Git keeps no empty folder: every target needs a seed file.
    if [ -z "$(ls "$seeds" 2>/dev/null)" ]; then
        echo "fuzz: $target has no seed corpus in fuzz/corpus/$target" >&2
        exit 1
    fi
    work="$build/corpus/$target"
    mkdir -p "$work"
    echo "fuzz: $target for $seconds s"
    mkdir -p "$build/artifacts"
    status=0
    "$build/bin/$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" "$work" "$seeds" >"$build/$target.log" 2>&1 || status=$?
    grep -E "^stat::number_of_executed_units|^#[0-9]+ +DONE|ERROR|SUMMARY|Test unit written" "$build/$target.log" || true
    if [ $status -ne 0 ]; then
        echo "fuzz: $target found a failure (exit $status); see $build/$target.log" >&2
        exit 1
    fi
done
