// The sort stand-in as a program: byte-wise order, CR LF, its failures.
#include <gtest/gtest.h>

#include <filesystem>

#include "services/command_runner.h"
#include "test_support.h"

using ketrav::testing::read_bytes;
using ketrav::testing::write_bytes;

namespace {

TEST(Sort, FailsOnAFileItCannotRead) {
    ketrav::testing::ScratchDirectory scratch;
    std::string sort = ketrav::testing::command_word(ketrav::testing::program_path("sort"));
    EXPECT_EQ(ketrav::testing::run_and_wait(sort + " missing.txt"), 1);
}

TEST(Sort, OrdersRecordsByteWise) {
    ketrav::testing::ScratchDirectory scratch;

    // LF and NUL stay inside their records; bytes above 127 sort last. The
    // file goes to sort directly: Wine's own `type` does not pass NUL on.
    std::string lf("B\nrecord"), nul("A\0nul", 5), high("\xC4rger"), plain("Aplain");
    write_bytes("KetRAV1.txt", high + "\r\n" + lf + "\r\n" + nul + "\r\n" + plain + "\r\n" + lf + "\r\n");
    ketrav::services::run_command("cmd /c sort KetRAV1.txt >KetRAV2.txt", ketrav::services::show_normal, true, false);
    EXPECT_EQ(read_bytes("KetRAV2.txt"), nul + "\r\n" + plain + "\r\n" + lf + "\r\n" + lf + "\r\n" + high + "\r\n");
}

TEST(Sort, SwitchesAreSkippedAndPathsAreFiles) {
    ketrav::testing::ScratchDirectory scratch;
    write_bytes("in.txt", "b\r\na\r\n");
    // A whole path, which on POSIX begins with '/' like a switch.
    std::string path = (std::filesystem::current_path() / "in.txt").string();
    ketrav::services::run_command("cmd /c sort /R /+1 /M 1024 \"" + path + "\" >out.txt", ketrav::services::show_normal,
                                  true, false);
    EXPECT_EQ(read_bytes("out.txt"), "a\r\nb\r\n");
}

}  // namespace
