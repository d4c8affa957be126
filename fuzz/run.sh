#!/bin/sh
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) and runs each
# for a while. Usage: fuzz/run.sh [SECONDS_PER_TARGET]
set -eu
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/fuzz"
CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DKETRAV_FUZZ=ON \
    -DKETRAV_SANITIZE=ON
cmake --build "$build" -j "$(nproc)"
for target in line_reader_fuzz number_picture_fuzz log_scan_fuzz share_differential_fuzz; do
    mkdir -p "$build/corpus/$target"
    "$build/bin/$target" -max_total_time="$seconds" -max_len=4096 "$build/corpus/$target"
done
