// The sort stand-in's line rules and order, and the cmd stand-in's reading of
// a command.
#include <gtest/gtest.h>

#include "standins/sort_lines.h"
#include "test_support.h"
#ifndef _WIN32
#include "standins/cmd_parse.h"
#endif

using namespace ketrav::standins;
using Lines = std::vector<std::string>;

TEST(SortStandIn, KeepsTheProgramsLineRules) {
    EXPECT_EQ(split_lines("a\r\nb\rc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(split_lines("a\nb\r\n"), (Lines{"a\nb"}));
    EXPECT_EQ(split_lines(std::string("n\0l\r\n", 5)), (Lines{std::string("n\0l", 3)}));
    EXPECT_EQ(split_lines("x\r\n\r\ny"), (Lines{"x", "", "y"}));
    EXPECT_EQ(split_lines("x\r\n\x1Ay\r\n"), (Lines{"x"}));
    EXPECT_EQ(split_lines(""), Lines{});
}

TEST(SortStandIn, ByteWiseStableOrderWithCrLf) {
    EXPECT_EQ(sorted_text({"b", "B", "a", "\xE9", "A", "a"}), "A\r\nB\r\na\r\na\r\nb\r\n\xE9\r\n");
    EXPECT_EQ(sorted_text({"ab", "a", "a b"}), "a\r\na b\r\nab\r\n");
    EXPECT_EQ(sorted_text({}), "");
}

TEST(SortStandIn, FailsOnAFileItCannotRead) {
    ketrav::testing::ScratchDirectory scratch;
    std::string sort = ketrav::testing::command_word(ketrav::testing::program_path("sort"));
    EXPECT_EQ(ketrav::testing::run_and_wait(sort + " missing.txt"), 1);
}

#ifndef _WIN32
TEST(CmdStandIn, ReadsPipelinesAndRedirections) {
    std::vector<ketrav::platform::PipelineStage> stages;
    ASSERT_TRUE(parse_pipeline("type KetRAV1.txt |sort >KetRAV2.txt", stages));
    ASSERT_EQ(stages.size(), 2u);
    EXPECT_EQ(stages[0].words, (Lines{"type", "KetRAV1.txt"}));
    EXPECT_EQ(stages[1].words, (Lines{"sort"}));
    EXPECT_EQ(stages[1].output, "KetRAV2.txt");
    EXPECT_FALSE(stages[1].append);

    ASSERT_TRUE(parse_pipeline("sort<in.txt >> \"out file.txt\" /r", stages));
    ASSERT_EQ(stages.size(), 1u);
    EXPECT_EQ(stages[0].words, (Lines{"sort", "/r"}));
    EXPECT_EQ(stages[0].input, "in.txt");
    EXPECT_EQ(stages[0].output, "out file.txt");
    EXPECT_TRUE(stages[0].append);

    EXPECT_FALSE(parse_pipeline("type x >", stages));
    EXPECT_FALSE(parse_pipeline("type x > | sort", stages));
    ASSERT_TRUE(parse_pipeline("exit 3", stages));
    EXPECT_EQ(stages[0].words, (Lines{"exit", "3"}));
}

TEST(CmdStandIn, RunsPipelines) {
    ketrav::testing::ScratchDirectory scratch;
    ketrav::testing::write_bytes("a.txt", "b\r\na\r\n");
    std::string cmd = ketrav::testing::command_word(ketrav::testing::program_path("cmd"));
    EXPECT_EQ(ketrav::testing::run_and_wait(cmd + " /c exit 7"), 7);
    EXPECT_EQ(ketrav::testing::run_and_wait(cmd + " /c type a.txt |sort >s.txt"), 0);
    EXPECT_EQ(ketrav::testing::read_bytes("s.txt"), "a\r\nb\r\n");
    EXPECT_EQ(ketrav::testing::run_and_wait(cmd + " /c type a.txt >>s.txt"), 0);
    EXPECT_EQ(ketrav::testing::read_bytes("s.txt"), "a\r\nb\r\nb\r\na\r\n");
    EXPECT_EQ(ketrav::testing::run_and_wait(cmd + " /c sort <a.txt |type >t.txt"), 1);
    EXPECT_NE(ketrav::testing::run_and_wait(cmd + " /c type missing.txt"), 0);
    EXPECT_NE(ketrav::testing::run_and_wait(cmd + " /c no-such-program-anywhere"), 0);
    EXPECT_NE(ketrav::testing::run_and_wait(cmd + " /k exit 0"), 0);
}
#endif
