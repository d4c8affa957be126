// The cmd stand-in as a program: pipelines, redirections, builtins.
#include <gtest/gtest.h>

#include "test_support.h"

TEST(Cmd, RunsPipelines) {
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
