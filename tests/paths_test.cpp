// Windows names as POSIX paths, and a missing file told from a missing
// directory.
#include "platform/posix/paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"

using namespace ketrav::platform;

TEST(Paths, NamesAndDirectories) {
    EXPECT_EQ(posix::native_path("logs\\qtoss.log"), "logs/qtoss.log");
    EXPECT_EQ(posix::native_path(std::string("a\0b", 3)), "a");  // the system stops at a NUL
    EXPECT_EQ(posix::directory_of("logs/qtoss.log"), "logs");
    EXPECT_EQ(posix::directory_of("qtoss.log"), ".");
    EXPECT_EQ(posix::directory_of("/qtoss.log"), "/");
}

TEST(Paths, MissingFileOrMissingPath) {
    ketrav::testing::ScratchDirectory scratch;
    std::filesystem::create_directory("logs");
    EXPECT_EQ(posix::missing_status("logs/none.log").error, error_file_not_found);
    EXPECT_EQ(posix::missing_status("nodir/none.log").error, error_path_not_found);
    EXPECT_EQ(posix::missing_status("none.log").error, error_file_not_found);
}
