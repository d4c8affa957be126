// The cmd stand-in's reading of a command: pipelines and redirections.
#include "standins/cmd_parse.h"

#include <gtest/gtest.h>

using namespace ketrav::standins;
using Lines = std::vector<std::string>;

TEST(CmdParse, ReadsPipelinesAndRedirections) {
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
    // An empty name in quotes names no file either (found by fuzzing).
    EXPECT_FALSE(parse_pipeline("type x >\"\"", stages));
    EXPECT_FALSE(parse_pipeline(">>\276x>>\"", stages));
    EXPECT_FALSE(parse_pipeline("sort <\"\" ", stages));
    // A pipe with no command on one side: the output would go nowhere.
    EXPECT_FALSE(parse_pipeline("type x |", stages));
    EXPECT_FALSE(parse_pipeline("type x | ", stages));
    EXPECT_FALSE(parse_pipeline("| sort", stages));
    EXPECT_FALSE(parse_pipeline("type x || sort", stages));
    ASSERT_TRUE(parse_pipeline(">made.txt", stages));
    EXPECT_EQ(stages[0].output, "made.txt");
    ASSERT_TRUE(parse_pipeline("exit 3", stages));
    EXPECT_EQ(stages[0].words, (Lines{"exit", "3"}));
}
