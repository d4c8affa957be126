// Micro benchmarks of the services on the run's hot path.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "report/area_share.h"
#include "services/number_pictures.h"
#include "services/text.h"
#include "services/text_files.h"

using namespace ketrav::services;

namespace {

// read_line over one line of the given size: should grow linearly.
void read_one_long_line(benchmark::State& state) {
    auto path = std::filesystem::temp_directory_path() / "ketrav-bench-line.txt";
    {
        std::ofstream out(path, std::ios::binary);
        std::string line(static_cast<std::size_t>(state.range(0)), 'x');
        out << line << "\r\n";
    }
    for (auto _ : state) {
        open_for_reading(path.string(), 1);
        benchmark::DoNotOptimize(read_line(1));
        close_file(1);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
    std::filesystem::remove(path);
}
BENCHMARK(read_one_long_line)->RangeMultiplier(4)->Range(1 << 16, 1 << 24)->Unit(benchmark::kMillisecond);

void find_marker(benchmark::State& state) {
    std::string line(static_cast<std::size_t>(state.range(0)), 'x');
    for (auto _ : state) benchmark::DoNotOptimize(find(line, "  Import #", 1));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(find_marker)->RangeMultiplier(4)->Range(1 << 10, 1 << 24);

void format_count_and_share(benchmark::State& state) {
    std::int32_t count = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(format_picture("###,###", static_cast<double>(count)));
        benchmark::DoNotOptimize(format_picture("###.#", ketrav::report::area_share(count, 123457)));
        count = count * 7 % 123457 + 1;
    }
}
BENCHMARK(format_count_and_share);

}  // namespace

BENCHMARK_MAIN();
