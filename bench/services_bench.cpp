// Micro benchmarks of the hot path: reading lines, finding the markers,
// writing records, the sort stand-in's work, and the number pictures.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/scratch_files.h"
#include "report/area_share.h"
#include "services/number_pictures.h"
#include "services/text.h"
#include "services/text_files.h"
#include "standins/external_sort.h"

using namespace ketrav::services;

namespace {

std::filesystem::path scratch_file(const char* name) { return std::filesystem::temp_directory_path() / name; }

// Area records as the first pass writes them.
std::string records(std::size_t count) {
    static const char* const tags[] = {"RU.ANIME", "SU.GENERAL", "FIDOTEST", "NET5020.LOCAL", "Z2.ADMIN", "RU.LINUX"};
    std::mt19937 random(1);
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        std::string tag = tags[random() % 6];
        out += tag + std::string(37 - tag.size(), ' ') + "261201 10:00:00\r\n";
    }
    return out;
}

// `lines` import lines of 70 bytes, as the tosser writes them.
void write_import_lines(const std::filesystem::path& path, std::size_t lines) {
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < lines; ++i)
        out << "  261201 10:00:00  Import #" << i % 1000000 << " from 2:5020/52 to RU.ANIME\r\n";
}

// read_line over log lines of 70 bytes: per line, through the 128-byte blocks.
void read_log_lines(benchmark::State& state) {
    auto path = scratch_file("ketrav-bench-lines.txt");
    const std::size_t lines = 20000;
    write_import_lines(path, lines);
    std::string line;
    for (auto _ : state) {
        open_for_reading(path.string(), 1);
        while (at_end(1) == truth_false) read_line_into(1, line);
        close_file(1);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(lines));
    std::filesystem::remove(path);
}
BENCHMARK(read_log_lines)->Unit(benchmark::kMillisecond);

// The log's check at the end of the pass: read_line over a checked file
// (the digest of every block read), then the second read of the whole
// file in large pieces, timed alone. Bytes per second of each; a 1 GB
// log's second read takes 1 GB over the latter.
void checked_log_and_second_read(benchmark::State& state) {
    auto path = scratch_file("ketrav-bench-checked.txt");
    write_import_lines(path, 200000);
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
    std::string line;
    for (auto _ : state) {
        state.PauseTiming();
        open_for_checked_reading(path.string(), 1);
        while (at_end(1) == truth_false) read_line_into(1, line);
        state.ResumeTiming();
        benchmark::DoNotOptimize(still_holds_the_bytes_read(1));
        state.PauseTiming();
        close_file(1);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * size);
    std::filesystem::remove(path);
}
BENCHMARK(checked_log_and_second_read)->Unit(benchmark::kMillisecond);

// read_line over one line of the given size: should grow linearly.
void read_one_long_line(benchmark::State& state) {
    auto path = scratch_file("ketrav-bench-line.txt");
    {
        std::ofstream out(path, std::ios::binary);
        out << std::string(static_cast<std::size_t>(state.range(0)), 'x') << "\r\n";
    }
    for (auto _ : state) {
        open_for_reading(path.string(), 1);
        benchmark::DoNotOptimize(read_line(1));
        close_file(1);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
    std::filesystem::remove(path);
}
BENCHMARK(read_one_long_line)->RangeMultiplier(4)->Range(1 << 16, 1 << 22)->Unit(benchmark::kMillisecond);

// Both searches of the first pass on an import line and on another line.
void find_markers(benchmark::State& state) {
    const std::string import = "  261201 10:00:00  Import #12345 from 2:5020/52 to RU.FTN.DEVELOP";
    const std::string other = "  261201 10:00:01 Dupe in area SU.GENERAL, moved to DUPES";
    for (auto _ : state) {
        benchmark::DoNotOptimize(find(import, "  Import #", 1));
        benchmark::DoNotOptimize(find(import, " to ", 1));
        benchmark::DoNotOptimize(find(other, "  Import #", 1));
    }
}
BENCHMARK(find_markers);

// A spaceless line of the given size: the search must stay linear.
void find_in_long_line(benchmark::State& state) {
    std::string line(static_cast<std::size_t>(state.range(0)), ' ');
    for (auto _ : state) benchmark::DoNotOptimize(find(line, "  Import #", 1));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(find_in_long_line)->RangeMultiplier(16)->Range(1 << 10, 1 << 22);

// One record written as the first pass writes it: four OS writes.
void write_records(benchmark::State& state) {
    auto path = scratch_file("ketrav-bench-out.txt");
    open_for_writing(path.string(), 2);
    std::string padding;
    for (auto _ : state) {
        write_text(2, "RU.ANIME");
        fill_spaces(padding, 29);
        write_text(2, padding);
        write_text(2, "261201 10:00:00");
        end_line(2);
    }
    close_file(2);
    state.SetItemsProcessed(state.iterations());
    std::filesystem::remove(path);
}
BENCHMARK(write_records);

// The sort stand-in's work on records, in memory (one run) and through runs
// of 1 MB in the temporary directory.
void sort_records(benchmark::State& state) {
    const std::string input = records(static_cast<std::size_t>(state.range(0)));
    ketrav::standins::SortLimits limits;
    if (state.range(1)) limits.run_bytes = 1u << 20;
    for (auto _ : state) {
        ketrav::standins::ExternalSort sort(limits, ketrav::platform::scratch_directory());
        std::size_t out = 0;
        sort.add(input.data(), input.size());
        sort.finish([&out](const char*, std::size_t size) {
            out += size;
            return true;
        });
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(sort_records)->Args({100000, 0})->Args({100000, 1})->Args({400000, 1})->Unit(benchmark::kMillisecond);

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
