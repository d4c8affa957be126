// The sort in bounded memory: the same output as one sort in memory for any
// run size, merge width and piece of input; its failures leave nothing.
#include "standins/external_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "fault_countdown.h"
#include "platform/call_table.h"
#include "test_support.h"

using ketrav::standins::ExternalSort;
using ketrav::standins::SortLimits;

namespace {

// Written apart from the sort: lines end at CR or CR LF, LF belongs to the
// line, 0x1A ends the input; byte order, unsigned; CR LF after each.
std::string model_sort(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string current;
    bool open_line = false;
    for (std::size_t i = 0; i < bytes.size() && bytes[i] != '\x1A'; ++i) {
        if (bytes[i] == '\r') {
            lines.push_back(current);
            current.clear();
            open_line = false;
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            continue;
        }
        current += bytes[i];
        open_line = true;
    }
    if (open_line) lines.push_back(current);
    std::sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        });
    });
    std::string out;
    for (const std::string& line : lines) out += line + "\r\n";
    return out;
}

struct Outcome {
    bool ok = false;
    std::string output;
    std::size_t runs = 0;
};

Outcome sorted(const std::string& input, SortLimits limits, std::size_t piece, const std::string& directory) {
    Outcome outcome;
    ExternalSort sort(limits, directory);
    bool fed = true;
    for (std::size_t at = 0; fed && at < input.size(); at += piece)
        fed = sort.add(input.data() + at, std::min(piece, input.size() - at));
    auto collect = [&outcome](const char* bytes, std::size_t size) {
        outcome.output.append(bytes, size);
        return true;
    };
    outcome.ok = fed && sort.finish(collect);
    outcome.runs = sort.runs_written();
    return outcome;
}

std::size_t entries_in(const std::filesystem::path& directory) {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(directory), std::filesystem::directory_iterator()));
}

// Records as the program writes them: many equal tags, so equal lines fall
// into different runs, with a few odd lines among them.
std::string records(unsigned count, unsigned seed) {
    static const char* const tags[] = {"RU.ANIME", "SU.GENERAL", "su.general", "FIDOTEST", "", "\xC4RGER"};
    std::mt19937 random(seed);
    std::string out;
    for (unsigned i = 0; i < count; ++i) {
        std::string tag = tags[random() % 6];
        out += tag + std::string(37 - tag.size(), ' ') + "261201 10:0" + std::to_string(random() % 3) + ":00";
        out += random() % 7 == 0 ? "\r" : "\r\n";
        if (random() % 50 == 0) out += "\nLF-led line\r\n";
    }
    return out;
}

class ExternalSortTest : public ::testing::Test {
   protected:
    void TearDown() override {
        ketrav::testing::stop_countdown();
        EXPECT_EQ(ketrav::platform::open_handle_count(), handles_before_);
        EXPECT_EQ(entries_in(runs_.path()), 0u) << "a run file was left behind";
    }
    std::string directory() const { return runs_.path().string(); }

    ketrav::testing::ScratchDirectory runs_;
    int handles_before_ = ketrav::platform::open_handle_count();
};

TEST_F(ExternalSortTest, EveryRunSizeAndMergeWidthGivesTheOneSortInMemory) {
    const std::string input = records(400, 7) + "tail without an end";
    const std::string expected = model_sort(input);
    for (std::size_t run_bytes : {std::size_t{1}, std::size_t{64}, std::size_t{1000}, std::size_t{1} << 20})
        for (std::size_t width : {2, 3, 32})
            for (std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
                if (piece == 1 && run_bytes == 1 && width != 2) continue;  // slow and adds nothing
                SortLimits limits{run_bytes, width, 16, std::size_t{1} << 20};
                Outcome outcome = sorted(input, limits, piece, directory());
                ASSERT_TRUE(outcome.ok) << run_bytes << "/" << width << "/" << piece;
                EXPECT_EQ(outcome.output, expected) << run_bytes << "/" << width << "/" << piece;
                if (run_bytes == std::size_t{1} << 20) {
                    EXPECT_EQ(outcome.runs, 0u) << "a small input sorts in memory";
                }
                if (run_bytes == 64) {
                    EXPECT_GT(outcome.runs, 100u);
                }
            }
}

// Lines past the long-line size are never held whole: they are compared and
// given out in pieces, in their place among the others.
TEST_F(ExternalSortTest, LinesTooLongToHoldComeOutInTheirPlace) {
    const std::string records_input = records(200, 5);
    const std::string base(300, 'k');
    std::string input = records_input;
    // Long lines alike for a long way, equal ones, one that a short line
    // begins, and ones that differ only in their length or last byte.
    for (const std::string& line : {base + "b", base + "a", base, base + "a", base.substr(0, 20), base + "a" + base,
                                    std::string("RU.ANIME") + std::string(400, ' '), std::string(2000, '\xFF'), base})
        input += line + "\r\n";
    input += base + "no end";
    const std::string expected = model_sort(input);
    for (std::size_t long_line_bytes : {std::size_t{5}, std::size_t{40}, std::size_t{310}, std::size_t{5000}})
        for (std::size_t run_bytes : {std::size_t{300}, std::size_t{1} << 20})
            for (std::size_t piece : {std::size_t{3}, std::size_t{1000}}) {
                SortLimits limits{run_bytes, 3, 16, long_line_bytes};
                Outcome outcome = sorted(input, limits, piece, directory());
                ASSERT_TRUE(outcome.ok) << long_line_bytes << "/" << run_bytes << "/" << piece;
                EXPECT_EQ(outcome.output, expected) << long_line_bytes << "/" << run_bytes << "/" << piece;
            }
}

TEST_F(ExternalSortTest, LongLinesEndMarksAndOddBytesAcrossRuns) {
    SortLimits small{100, 2, 8};
    // A line longer than a run and than the read buffer, among short ones.
    std::string long_line(1000, 'm');
    std::string input = "z\r\n" + long_line + "\r\na\r\n" + long_line + "x\r\nm\r\n";
    Outcome outcome = sorted(input, small, 13, directory());
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.output, model_sort(input));
    EXPECT_GT(outcome.runs, 1u);

    // 0x1A ends the input in the middle of a run, also when it comes later.
    std::string marked = records(50, 3) + "\x1A" + records(50, 4);
    outcome = sorted(marked, small, 5, directory());
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.output, model_sort(marked));

    // NUL, LF and bytes above 127 inside lines; empty lines.
    std::string odd = std::string("b\0x\r\n", 5) + "\xFF\r\n\r\n" + "a\nb\r" + std::string("b\0\r", 3) + "\r\n";
    outcome = sorted(odd + odd + odd, SortLimits{20, 2, 8}, 3, directory());
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.output, model_sort(odd + odd + odd));

    outcome = sorted("", small, 1, directory());
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.output, "");
}

TEST_F(ExternalSortTest, AFullDiskOrAFailingRunFailsTheSortAndLeavesNoRunFile) {
    using ketrav::platform::SystemCall;
    const std::string input = records(300, 11);
    SortLimits small{512, 3, 64};
    ketrav::testing::count_calls();
    ASSERT_TRUE(sorted(input, small, 100, directory()).ok);
    unsigned writes = ketrav::testing::calls_seen_of(SystemCall::write_file);
    unsigned reads = ketrav::testing::calls_seen_of(SystemCall::read_file);
    ketrav::testing::stop_countdown();
    ASSERT_GT(writes, 3u);
    ASSERT_GT(reads, 3u);

    // The disk fills at writes spread over the whole sort, the last one
    // too: short, then refused.
    const unsigned step = std::max(1u, writes / 40);
    for (unsigned nth = 1; nth <= writes; nth = nth == writes ? writes + 1 : std::min(writes, nth + step)) {
        ketrav::testing::short_write_nth_write(nth, 3);
        EXPECT_FALSE(sorted(input, small, 100, directory()).ok) << "short write " << nth;
        ketrav::testing::fail_nth_call_of(SystemCall::write_file, nth, 112, true);
        EXPECT_FALSE(sorted(input, small, 100, directory()).ok) << "failed write " << nth;
        EXPECT_EQ(entries_in(runs_.path()), 0u) << nth;
    }
    // A run that cannot be read back, created, or positioned.
    for (unsigned nth : {1u, reads / 2, reads}) {
        ketrav::testing::fail_nth_call_of(SystemCall::read_file, nth, 23, false);
        EXPECT_FALSE(sorted(input, small, 100, directory()).ok) << "read " << nth;
    }
    ketrav::testing::fail_nth_call_of(SystemCall::open_file, 2, 5, false);
    EXPECT_FALSE(sorted(input, small, 100, directory()).ok);
    ketrav::testing::fail_nth_call_of(SystemCall::set_file_pointer, 1, 6, false);
    EXPECT_FALSE(sorted(input, small, 100, directory()).ok);
#ifndef _WIN32
    // The name cannot be taken away at once: the file goes all the same.
    ketrav::testing::fail_nth_call_of(SystemCall::delete_file, 1, 5, false);
    EXPECT_FALSE(sorted(input, small, 100, directory()).ok);
#endif
    ketrav::testing::stop_countdown();

    // The long lines' file fills up, or cannot be read back.
    SortLimits long_lines{1 << 20, 3, 64, 20};
    ketrav::testing::count_calls();
    ASSERT_TRUE(sorted(input, long_lines, 100, directory()).ok);
    unsigned long_writes = ketrav::testing::calls_seen_of(SystemCall::write_file);
    unsigned long_reads = ketrav::testing::calls_seen_of(SystemCall::read_file_at) +
                          ketrav::testing::calls_seen_of(SystemCall::read_file);
    ketrav::testing::stop_countdown();
    ASSERT_GT(long_writes, 3u);
    ASSERT_GT(long_reads, 3u);
    for (unsigned nth : {1u, long_writes / 2, long_writes}) {
        ketrav::testing::short_write_nth_write(nth, 1);
        EXPECT_FALSE(sorted(input, long_lines, 100, directory()).ok) << "long write " << nth;
    }
#ifdef _WIN32
    const SystemCall positioned_read = SystemCall::read_file;
#else
    const SystemCall positioned_read = SystemCall::read_file_at;
#endif
    for (unsigned nth : {1u, 7u, 100u}) {
        ketrav::testing::fail_nth_call_of(positioned_read, nth, 23, false);
        EXPECT_FALSE(sorted(input, long_lines, 100, directory()).ok) << "long read " << nth;
    }
    ketrav::testing::stop_countdown();

    // No temporary directory at all.
    Outcome nowhere = sorted(input, small, 100, (runs_.path() / "missing").string());
    EXPECT_FALSE(nowhere.ok);
    // An output that refuses its bytes.
    ExternalSort refusing(small, directory());
    ASSERT_TRUE(refusing.add(input.data(), input.size()));
    EXPECT_FALSE(refusing.finish([](const char*, std::size_t) { return false; }));
}

}  // namespace
