// argv and exit status of a child process on POSIX.
#include "platform/posix/child_process.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

using namespace ketrav::platform::posix;

namespace {

int status_of_child(void (*body)()) {
    pid_t pid = fork();
    if (pid == 0) body();
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

}  // namespace

TEST(ChildProcess, ArgvPointsIntoTheWords) {
    std::vector<std::string> words = {"sort", "/R", ""};
    std::vector<char*> argv = argv_of(words);
    ASSERT_EQ(argv.size(), 4u);
    EXPECT_EQ(argv[0], words[0].data());
    EXPECT_STREQ(argv[1], "/R");
    EXPECT_STREQ(argv[2], "");
    EXPECT_EQ(argv[3], nullptr);
}

TEST(ChildProcess, ExitCodeOrSignal) {
    EXPECT_EQ(exit_code_of(status_of_child([] { _exit(7); })), 7u);
    EXPECT_EQ(exit_code_of(status_of_child([] { _exit(0); })), 0u);
    EXPECT_EQ(exit_code_of(status_of_child([] {
                  std::signal(SIGTERM, SIG_DFL);
                  raise(SIGTERM);
                  _exit(1);
              })),
              128u + SIGTERM);
}

TEST(ChildProcess, ProgramsFoundByLookupAreNamedByTheirPath) {
    std::vector<std::string> bare = {"sort", "x"};
    name_program_by_path(bare, "/usr/libexec/ketrav/sort");
    EXPECT_EQ(bare[0], "/usr/libexec/ketrav/sort");
    std::vector<std::string> given = {"./sort", "x"};
    name_program_by_path(given, "./sort");
    EXPECT_EQ(given[0], "./sort");
    std::vector<std::string> windows = {"bin\\sort"};
    name_program_by_path(windows, "bin/sort");
    EXPECT_EQ(windows[0], "bin\\sort");
}
