// The date stamp and the command tail.
#include "services/date_and_command_tail.h"

#include <gtest/gtest.h>

#include "services/run_time_errors.h"
#include "test_support.h"

using namespace ketrav::services;

namespace {

std::string tail_of(const std::string& line) {
    locate_command_tail(line);
    return command_tail();
}

TEST(DateStamp, MonthDayYear) {
    EXPECT_EQ(date_stamp_of({2026, 12, 6}), "12-06-2026");
    EXPECT_EQ(date_stamp_of({2027, 3, 9}), "03-09-2027");
    EXPECT_EQ(date_stamp_of({1999, 1, 31}), "01-31-1999");
    EXPECT_EQ(date_stamp_of({905, 10, 1}), "10-01-0905");
    std::string before = ketrav::testing::today_stamp();
    std::string now = date_stamp();
    EXPECT_EQ(now.size(), 10u);
    EXPECT_TRUE(now == before || now == ketrav::testing::today_stamp());
}

TEST(CommandTail, WholeTail) {
    EXPECT_EQ(tail_of("prog"), "");
    EXPECT_EQ(tail_of("prog My BBS"), "My BBS");
    EXPECT_EQ(tail_of("prog   My BBS  "), "My BBS  ");
    EXPECT_EQ(tail_of("\"C:\\x y\\prog.exe\"  Title  here "), "Title  here ");
    EXPECT_EQ(tail_of("\"C:\\x y\\prog.exe\"abc"), "abc");
    EXPECT_EQ(tail_of("prog\tX"), "\tX");
    EXPECT_EQ(tail_of(" prog X"), "prog X");
    EXPECT_EQ(tail_of("pr\xE9og X"), "X");  // bytes above 127 belong to the name
    EXPECT_EQ(tail_of(""), "");
    EXPECT_EQ(tail_of("\"never closed X"), "");
    EXPECT_EQ(tail_of("prog "), "");
    // Asked twice, the same text.
    locate_command_tail("prog  a  b ");
    EXPECT_EQ(command_tail(), command_tail());
}

TEST(CommandTail, NthParameter) {
    locate_command_tail("prog  one \"two words\"  \"\" three\"four\" \"open end");
    EXPECT_EQ(command_tail(1), "one");
    EXPECT_EQ(command_tail(2), "two words");
    EXPECT_EQ(command_tail(3), "three\"four\"");
    EXPECT_EQ(command_tail(4), "open end");
    EXPECT_EQ(command_tail(5), "");
    EXPECT_EQ(command_tail(-1), "");
    locate_command_tail("prog \"a\"b c");
    EXPECT_EQ(command_tail(1), "a");
    EXPECT_EQ(command_tail(2), "b");
    EXPECT_EQ(command_tail(3), "c");
    locate_command_tail("prog");
    EXPECT_EQ(command_tail(1), "");
}

}  // namespace
