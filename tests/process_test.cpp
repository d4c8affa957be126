// The OS layer's processes and command line. The test binary starts itself
// as the child, so the same checks hold on both systems.
#include "platform/process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/call_table.h"
#include "platform/command_line.h"
#include "test_support.h"

using namespace ketrav::platform;

namespace {

// Child jobs: "--child exit N" exits with N; "--child record FILE ..." writes
// the command line it got into FILE.
int child_main(int argc, char** argv) {
    std::string job = argc >= 3 ? argv[2] : "";
    if (job == "exit" && argc >= 4) return std::atoi(argv[3]);
    if (job == "record" && argc >= 4) {
        ketrav::testing::write_bytes(argv[3], process_command_line(argc, argv));
        return 0;
    }
    return 100;
}

TEST(PlatformProcess, ExitCodeAndProcessId) {
    int before = open_handle_count();
    EXPECT_EQ(ketrav::testing::run_and_wait(ketrav::testing::child_command("exit 3")), 3);
    EXPECT_EQ(ketrav::testing::run_and_wait(ketrav::testing::child_command("exit 0")), 0);

    ProcessStart start;
    start.command_line = ketrav::testing::child_command("exit 7");
    ProcessHandles started;
    ASSERT_TRUE(create_process(start, started).ok);
    EXPECT_NE(started.process_id, 0u);
    EXPECT_EQ(open_handle_count(), before + 2);
    wait_for_process(started.process);
    std::uint32_t code = 0;
    EXPECT_TRUE(exit_code_of_process(started.process, code).ok);
    EXPECT_EQ(code, 7u);
    EXPECT_TRUE(close_handle(started.process).ok);
    EXPECT_TRUE(close_handle(started.thread).ok);
    EXPECT_EQ(open_handle_count(), before);
}

TEST(PlatformProcess, MissingProgramIsFileNotFound) {
    ProcessStart start;
    start.command_line = "ketrav-no-such-program-here --x";
    ProcessHandles started;
    OsStatus status = create_process(start, started);
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.error, error_file_not_found);
}

#ifndef _WIN32
TEST(PlatformProcess, NeverRunsAProgramFromTheCurrentDirectory) {
    ketrav::testing::ScratchDirectory scratch;
    ketrav::testing::write_bytes("planted", "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions("planted", std::filesystem::perms::owner_all);
    ProcessStart start;
    start.command_line = "planted";
    ProcessHandles started;
    EXPECT_EQ(create_process(start, started).error, error_file_not_found);
    // Named with its directory, it runs.
    EXPECT_EQ(ketrav::testing::run_and_wait("./planted"), 0);
}

#endif

TEST(PlatformProcess, ChildSeesTheCommandLine) {
    ketrav::testing::ScratchDirectory scratch;
    std::string line = ketrav::testing::child_command("record got.txt alpha beta");
    ASSERT_EQ(ketrav::testing::run_and_wait(line), 0);
    EXPECT_EQ(ketrav::testing::read_bytes("got.txt"), line);
}

}  // namespace

int main(int argc, char** argv) {
    return ketrav::testing::run_tests_or_child_job(argc, argv, "process_test", child_main);
}
