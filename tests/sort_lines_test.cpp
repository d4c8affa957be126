// The sort stand-in's line rules and order.
#include "standins/sort_lines.h"

#include <gtest/gtest.h>

using namespace ketrav::standins;
using Lines = std::vector<std::string>;

TEST(SortLines, KeepsTheProgramsLineRules) {
    EXPECT_EQ(split_lines("a\r\nb\rc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(split_lines("a\nb\r\n"), (Lines{"a\nb"}));
    EXPECT_EQ(split_lines(std::string("n\0l\r\n", 5)), (Lines{std::string("n\0l", 3)}));
    EXPECT_EQ(split_lines("x\r\n\r\ny"), (Lines{"x", "", "y"}));
    EXPECT_EQ(split_lines("x\r\n\x1Ay\r\n"), (Lines{"x"}));
    EXPECT_EQ(split_lines(""), Lines{});
}

TEST(SortLines, ByteWiseStableOrderWithCrLf) {
    EXPECT_EQ(sorted_text({"b", "B", "a", "\xE9", "A", "a"}), "A\r\nB\r\na\r\na\r\nb\r\n\xE9\r\n");
    EXPECT_EQ(sorted_text({"ab", "a", "a b"}), "a\r\na b\r\nab\r\n");
    EXPECT_EQ(sorted_text({}), "");
}
