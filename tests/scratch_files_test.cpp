// Scratch files: private, new, never left behind.
#include "platform/scratch_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fault_countdown.h"
#include "platform/call_table.h"
#include "platform/file_io.h"
#include "test_support.h"

using namespace ketrav::platform;

namespace {

std::size_t entries_in(const std::filesystem::path& directory) {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(directory), std::filesystem::directory_iterator()));
}

TEST(ScratchFiles, AreWrittenAndReadBackAndGoneOnceClosed) {
    ketrav::testing::ScratchDirectory scratch;
    int handles = open_handle_count();
    OsHandle first, second;
    ASSERT_TRUE(create_scratch_file(scratch.path().string(), first).ok);
    ASSERT_TRUE(create_scratch_file(scratch.path().string(), second).ok);
    EXPECT_NE(first.value, second.value);
    EXPECT_EQ(open_handle_count(), handles + 2);
    std::uint32_t done = 0;
    ASSERT_TRUE(write_file(first, "run one", 7, done).ok);
    ASSERT_TRUE(write_file(second, "two", 3, done).ok);
    char bytes[16] = {};
    ASSERT_TRUE(set_file_pointer(first, 0).ok);
    ASSERT_TRUE(read_file(first, bytes, sizeof bytes, done).ok);
    EXPECT_EQ(std::string(bytes, done), "run one");
    ASSERT_TRUE(read_file_at(second, 1, bytes, sizeof bytes, done).ok);
    EXPECT_EQ(std::string(bytes, done), "wo");
    EXPECT_TRUE(close_handle(first).ok);
    EXPECT_TRUE(close_handle(second).ok);
    EXPECT_EQ(open_handle_count(), handles);
    EXPECT_EQ(entries_in(scratch.path()), 0u);
}

TEST(ScratchFiles, FailuresGiveTheirCodeAndLeaveNothing) {
    ketrav::testing::ScratchDirectory scratch;
    int handles = open_handle_count();
    OsHandle file;
    OsStatus missing = create_scratch_file((scratch.path() / "no such directory").string(), file);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, error_path_not_found);
    EXPECT_FALSE(file.valid());

    ketrav::testing::fail_nth_call_of(SystemCall::open_file, 1, error_disk_full, false);
    OsStatus full = create_scratch_file(scratch.path().string(), file);
    ketrav::testing::stop_countdown();
    EXPECT_FALSE(full.ok);
    EXPECT_EQ(full.error, error_disk_full);
    EXPECT_EQ(open_handle_count(), handles);
    EXPECT_EQ(entries_in(scratch.path()), 0u);

    EXPECT_FALSE(scratch_directory().empty());
}

#ifndef _WIN32
TEST(ScratchFiles, TheTemporaryDirectoryIsTmpdirElseTmp) {
    std::string earlier = getenv("TMPDIR") ? getenv("TMPDIR") : "";
    setenv("TMPDIR", "/var/spool/runs", 1);
    EXPECT_EQ(scratch_directory(), "/var/spool/runs");
    setenv("TMPDIR", "", 1);
    EXPECT_EQ(scratch_directory(), "/tmp");
    unsetenv("TMPDIR");
    EXPECT_EQ(scratch_directory(), "/tmp");
    if (!earlier.empty()) setenv("TMPDIR", earlier.c_str(), 1);
}
#endif

}  // namespace
