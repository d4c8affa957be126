// The cmd stand-in as a program: pipelines, redirections, builtins.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "platform/file_io.h"
#include "test_support.h"

using ketrav::testing::read_bytes;
using ketrav::testing::run_and_wait;
using ketrav::testing::write_bytes;

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
    // Windows' cmd's answers: exit alone is 0, exit redirected still exits
    // with its number (the file made), and a line with no command or half a
    // pipe is refused.
    EXPECT_EQ(ketrav::testing::run_and_wait(cmd + " /c exit"), 0);
    EXPECT_EQ(ketrav::testing::run_and_wait(cmd + " /c exit 4 >e.txt"), 4);
    EXPECT_TRUE(ketrav::testing::exists("e.txt"));
    EXPECT_EQ(ketrav::testing::run_and_wait(cmd + " /c"), 1);
    EXPECT_EQ(ketrav::testing::run_and_wait(cmd + " /c type"), 1);
    EXPECT_EQ(ketrav::testing::run_and_wait(cmd + " /c type a.txt |"), 1);
#ifndef _WIN32
    // A write that fails at the flush fails the command, however small.
    write_bytes("small.txt", "s\r\n");
    write_bytes("big.txt", std::string(200000, 'b'));
    EXPECT_EQ(ketrav::testing::run_and_wait(cmd + " /c type small.txt >/dev/full"), 1);
    EXPECT_EQ(ketrav::testing::run_and_wait(cmd + " /c type big.txt >/dev/full"), 1);
    EXPECT_EQ(ketrav::testing::run_and_wait(cmd + " /c type a.txt |sort >/dev/full"), 1);
    // A FIFO is opened without waiting, but the program that gets it waits
    // on it as on any pipe: a writer that is slow to write is still read.
    // The writer holds the FIFO open before cmd starts (read and write, so
    // that its open need not wait for a reader): a FIFO that no writer has
    // opened yet reads as empty at once.
    ASSERT_EQ(std::system("mkfifo slow.fifo && (sh -c 'exec 3<>slow.fifo; : > writer.ready; sleep 0.3; "
                          "printf \"b\\r\\na\\r\\n\" >&3' &)"),
              0);
    for (int wait = 0; wait < 1000 && !ketrav::testing::exists("writer.ready"); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ketrav::testing::run_and_wait(cmd + " /c sort <slow.fifo >sorted.txt"), 0);
    EXPECT_EQ(ketrav::testing::read_bytes("sorted.txt"), "a\r\nb\r\n");
    // Started for a parent that is no longer its parent (the program ended
    // before cmd asked to end with it): cmd ends at once, doing nothing.
    std::string orphan = "KETRAV_PARENT=1 " + cmd + " /c 'type a.txt >orphan.txt'";
    EXPECT_EQ(WEXITSTATUS(std::system(orphan.c_str())), 1);
    EXPECT_FALSE(ketrav::testing::exists("orphan.txt"));
#endif
}

// Its files open as the program's own: '\' separates directories in type as
// in redirections, a read-only file is never written, and a file another
// program holds open is a sharing violation, not a file to cut.
TEST(Cmd, FilesOpenByTheProgramsRules) {
    ketrav::testing::ScratchDirectory scratch;
    std::string cmd = ketrav::testing::command_word(ketrav::testing::program_path("cmd"));
    std::filesystem::create_directory("sub");
    write_bytes("sub/a.txt", "in sub\r\n");
    EXPECT_EQ(run_and_wait(cmd + " /c type sub\\a.txt >sub\\b.txt"), 0);
    EXPECT_EQ(read_bytes("sub/b.txt"), "in sub\r\n");

    write_bytes("ro.txt", "keep");
    ketrav::testing::make_read_only("ro.txt", true);
    EXPECT_NE(run_and_wait(cmd + " /c type sub\\a.txt >ro.txt"), 0);
    EXPECT_NE(run_and_wait(cmd + " /c type sub\\a.txt >>ro.txt"), 0);
    ketrav::testing::make_read_only("ro.txt", false);
    EXPECT_EQ(read_bytes("ro.txt"), "keep");

    write_bytes("held.txt", "held");
    ketrav::platform::OsHandle held;
    ASSERT_TRUE(ketrav::platform::open_file("held.txt", ketrav::platform::FileAccess::read, held).ok);
    EXPECT_NE(run_and_wait(cmd + " /c type sub\\a.txt >held.txt"), 0);
    EXPECT_NE(run_and_wait(cmd + " /c type held.txt"), 0);
    ketrav::platform::close_handle(held);
    EXPECT_EQ(read_bytes("held.txt"), "held");
}
