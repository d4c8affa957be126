// The command line split into arguments by the Windows rules.
#include "platform/argv_split.h"

#include <gtest/gtest.h>

using ketrav::platform::split_command_line;

TEST(ArgvSplit, WindowsRules) {
    EXPECT_EQ(split_command_line("cmd /c type KetRAV1.txt |sort >KetRAV2.txt"),
              (std::vector<std::string>{"cmd", "/c", "type", "KetRAV1.txt", "|sort", ">KetRAV2.txt"}));
    EXPECT_EQ(split_command_line("\"C:\\x y\\prog.exe\"  \"a b\" c\\\"d e\\\\\\\\\"f g\" \"\""),
              (std::vector<std::string>{"C:\\x y\\prog.exe", "a b", "c\"d", "e\\\\f g", ""}));
    EXPECT_EQ(split_command_line("  \t "), std::vector<std::string>{});
    EXPECT_EQ(split_command_line("p \"say \"\"hi\"\"\""), (std::vector<std::string>{"p", "say \"hi\""}));
}
