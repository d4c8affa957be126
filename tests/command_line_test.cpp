// The process's command line, rebuilt from argv on POSIX.
#include "platform/command_line.h"

#include <gtest/gtest.h>

#include "services/date_and_command_tail.h"

using ketrav::platform::process_command_line;

#ifndef _WIN32
TEST(CommandLine, RebuiltFromArgv) {
    const char* argv[] = {"/opt/my bbs/ketrav", "My", "BBS", nullptr};
    EXPECT_EQ(process_command_line(3, argv), "\"/opt/my bbs/ketrav\" My BBS");
    const char* plain[] = {"ketrav", nullptr};
    EXPECT_EQ(process_command_line(1, plain), "ketrav");
    EXPECT_EQ(process_command_line(0, nullptr), "");
    // A quote in the program's name never reaches the title.
    const char* quoted[] = {"/opt/a\"b c/ketrav", "T", nullptr};
    std::string line = process_command_line(2, quoted);
    EXPECT_EQ(line, "\"/opt/ab c/ketrav\" T");
    EXPECT_EQ(ketrav::services::locate_command_tail(line), line.size() - 1);
    const char* bare[] = {"ket\"rav", nullptr};
    EXPECT_EQ(process_command_line(1, bare), "ketrav");
}
#endif

// On Windows the line is the system's own, whatever argv says.
TEST(CommandLine, NamesTheProgramFirst) {
    const char* argv[] = {"prog", "a", nullptr};
    std::string line = process_command_line(2, argv);
#ifdef _WIN32
    EXPECT_NE(line.find("command_line_test"), std::string::npos) << line;
#else
    EXPECT_EQ(line, "prog a");
#endif
}
