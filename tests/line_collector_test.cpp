// The sort's line rules, whatever way the input is cut into pieces, and its
// stop at a run's limit.
#include "standins/line_collector.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using ketrav::standins::LineCollector;
using Lines = std::vector<std::string>;

namespace {

constexpr std::size_t no_limit = SIZE_MAX;

Lines lines_of(LineCollector& lines) {
    Lines out;
    for (std::size_t i = 0; i < lines.line_count(); ++i) out.emplace_back(lines.line(i));
    return out;
}

// Splits `bytes` given in pieces of `piece` bytes.
Lines split(const std::string& bytes, std::size_t piece) {
    LineCollector lines;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        std::size_t size = std::min(piece, bytes.size() - at);
        EXPECT_EQ(lines.add(bytes.data() + at, size, no_limit), size);
    }
    lines.finish();
    return lines_of(lines);
}

TEST(LineCollector, KeepsTheProgramsLineRulesInEveryCutOfTheInput) {
    struct Case {
        std::string bytes;
        Lines lines;
    };
    const Case cases[] = {
        {"a\r\nb\rc", {"a", "b", "c"}},
        {"a\nb\r\n", {"a\nb"}},
        {std::string("n\0l\r\n", 5), {std::string("n\0l", 3)}},
        {"x\r\n\r\ny", {"x", "", "y"}},
        {"x\r\r\ny", {"x", "", "y"}},
        // CR LF takes one LF: a second one begins the next line.
        {"x\r\n\ny\r\n", {"x", "\ny"}},
        {"x\r\n\x1Ay\r\n", {"x"}},
        {"x\x1A\r\ny", {"x"}},
        {"\x1A", {}},
        {"", {}},
        {"\r", {""}},
    };
    for (const Case& c : cases)
        for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{3}, c.bytes.size() + 1})
            EXPECT_EQ(split(c.bytes, piece), c.lines) << "piece " << piece << " of " << testing::PrintToString(c.bytes);
}

TEST(LineCollector, InputAfterTheEndMarkIsIgnoredForGood) {
    LineCollector lines;
    EXPECT_EQ(lines.add("a\rb\x1A", 4, no_limit), 4u);
    EXPECT_TRUE(lines.input_ended());
    EXPECT_EQ(lines.add("c\rd\r", 4, no_limit), 4u);
    lines.finish();
    EXPECT_EQ(lines_of(lines), (Lines{"a", "b"}));
}

TEST(LineCollector, StopsAtTheLimitWhileCompleteLinesAreHeldButNeverSplitsALine) {
    LineCollector lines;
    const std::string input = "alpha\rbeta\rgamma\r";
    std::size_t limit = 5 + sizeof(LineCollector::Span) + 4;  // alpha and its span, and a little
    std::size_t taken = lines.add(input.data(), input.size(), limit);
    EXPECT_EQ(taken, 6u);  // alpha and its CR, nothing of beta
    EXPECT_EQ(lines_of(lines), Lines{"alpha"});
    lines.drop_complete_lines();
    EXPECT_EQ(lines.line_count(), 0u);
    EXPECT_EQ(lines.held_bytes(), 0u);

    // A line longer than the limit is taken whole once nothing else is held.
    LineCollector long_line;
    std::string big(100, 'x');
    EXPECT_EQ(long_line.add(big.data(), big.size(), 10), big.size());
    EXPECT_EQ(long_line.partial_bytes(), 100u);
    long_line.finish();
    EXPECT_EQ(lines_of(long_line), Lines{big});

    // The partial line survives the complete lines' removal.
    LineCollector partial;
    EXPECT_EQ(partial.add("one\rtw", 6, no_limit), 6u);
    partial.drop_complete_lines();
    EXPECT_EQ(partial.add("o\r", 2, no_limit), 2u);
    EXPECT_EQ(lines_of(partial), Lines{"two"});
}

TEST(LineCollector, SortsByteWiseWithBytesAsUnsigned) {
    LineCollector lines;
    const std::string input = "b\rB\ra\r\xE9\rA\ra\rab\ra b\r\r";
    lines.add(input.data(), input.size(), no_limit);
    lines.sort_lines();
    EXPECT_EQ(lines_of(lines), (Lines{"", "A", "B", "a", "a", "a b", "ab", "b", "\xE9"}));
}

}  // namespace
