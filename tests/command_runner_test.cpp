// The command runner. The test binary starts itself as
// the child, so the same checks hold under Windows and on POSIX.
#include "services/command_runner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "fault_countdown.h"
#include "platform/call_table.h"
#include "platform/command_line.h"
#include "platform/process.h"
#include "services/run_time_errors.h"
#include "test_support.h"

using namespace ketrav::services;
using ketrav::testing::read_bytes;
using ketrav::testing::write_bytes;

namespace {

// Child jobs: "--child record FILE ..." writes the command line it got into
// FILE; "--child pid FILE" writes its process id there.
int child_main(int argc, char** argv) {
    std::string job = argc >= 4 ? argv[2] : "";
    if (job == "record") {
        write_bytes(argv[3], ketrav::platform::process_command_line(argc, argv));
        return 0;
    }
    if (job == "pid") {
        write_bytes(std::string(argv[3]) + ".tmp", std::to_string(ketrav::platform::current_process_id()));
        std::filesystem::rename(std::string(argv[3]) + ".tmp", argv[3]);
        return 0;
    }
    return 100;
}

class CommandRunner : public ::testing::Test {
   protected:
    void SetUp() override { handles_before = ketrav::platform::open_handle_count(); }
    void TearDown() override {
        ketrav::testing::stop_countdown();
        EXPECT_EQ(ketrav::platform::open_handle_count(), handles_before);
    }
    ketrav::testing::ScratchDirectory scratch;
    int handles_before = 0;
};

TEST_F(CommandRunner, ExitCodeOfTheCommandInterpreter) {
    EXPECT_EQ(run_command("cmd /c exit 3", show_normal, true, false), 3);
    EXPECT_EQ(run_command("cmd /c exit 0", show_normal, true, false), 0);
}

TEST_F(CommandRunner, CommandLineIsCutAt256Characters) {
    std::string line = ketrav::testing::child_command("record got.txt ");
    for (char c = 'a'; line.size() < 300; c = c == 'z' ? 'a' : static_cast<char>(c + 1)) line += c;
    ASSERT_EQ(run_command(line, show_normal, true, false), 0);
    EXPECT_EQ(read_bytes("got.txt"), line.substr(0, 256));
}

TEST_F(CommandRunner, MissingProgramGivesZeroAndCode53) {
    record_error(1);
    EXPECT_EQ(run_command("ketrav-missing-program /x", show_normal, true, false), 0);
    EXPECT_EQ(last_error(), run_time_code::file_not_found);
    record_error(1);
    EXPECT_EQ(run_command("", show_normal, true, false), 0);
    EXPECT_NE(last_error(), 1);
}

TEST_F(CommandRunner, NotWaitingReturnsTheProcessId) {
    std::string line = ketrav::testing::child_command("pid pid.txt");
    std::int32_t pid = run_command(line, show_normal, false, false);
    EXPECT_NE(pid, 0);
    // The child writes a temporary and renames it, so whatever can be read
    // is the whole id. Under Wine a read just after the new name appeared
    // has once found nothing: wait for the contents, not the name.
    std::string written;
    for (int i = 0; i < 1000 && (written = read_bytes("pid.txt")).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(written, std::to_string(pid));
}

TEST_F(CommandRunner, StartFailuresAreRecorded) {
    ketrav::testing::fail_nth_call_of(ketrav::platform::SystemCall::create_process, 1, 5, false);
    EXPECT_EQ(run_command("cmd /c exit 3", show_normal, true, false), 0);
    EXPECT_EQ(last_error(), run_time_code::permission_denied);
}

TEST(CommandRunnerDeathTest, BadEnvironmentIsFatal) {
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    EXPECT_EXIT(
        {
            ketrav::testing::fail_nth_call_of(ketrav::platform::SystemCall::create_process, 1, 10, false);
            run_command("cmd /c exit 3", show_normal, true, false);
        },
        ::testing::ExitedWithCode(255), "");
}

TEST_F(CommandRunner, RelativeNamesResolveInTheCurrentDirectory) {
    write_bytes("in.txt", "copied\r\n");
    run_command("cmd /c type in.txt >out.txt", show_normal, true, false);
    EXPECT_EQ(read_bytes("out.txt"), "copied\r\n");
}

}  // namespace

int main(int argc, char** argv) {
    return ketrav::testing::run_tests_or_child_job(argc, argv, "command_runner_test", child_main);
}
