// The POSIX backend's system calls through the call table: a failure a hook
// plants reports the hook's Windows code once, and a real failure after it
// reports its own errno, never the stale planted code.
#include "platform/posix/system_calls.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/call_table.h"
#include "platform/posix/errno_mapping.h"
#include "test_support.h"

using namespace ketrav::platform;

namespace {

OsError refuse(SystemCall, std::uint32_t&) { return 1234; }
OsError cut_to_two(SystemCall, std::uint32_t& bytes) {
    bytes = 2;
    return 0;
}

class SystemCalls : public ::testing::Test {
   protected:
    void TearDown() override { reset_call_hooks(); }
    ketrav::testing::ScratchDirectory scratch;
};

TEST_F(SystemCalls, PlantedFailureThenRealOne) {
    swap_call_hook(SystemCall::open_file, refuse);
    EXPECT_EQ(posix::sys_open("any.txt", O_RDONLY, 0), -1);
    EXPECT_EQ(posix::errno_status().error, 1234u);
    reset_call_hooks();
    EXPECT_EQ(posix::sys_open("missing.txt", O_RDONLY, 0), -1);
    EXPECT_EQ(posix::errno_status().error, error_file_not_found);
    EXPECT_FALSE(posix::is_injected_errno(errno));
}

TEST_F(SystemCalls, EachStepHasItsOwnEntry) {
    ketrav::testing::write_bytes("a.txt", "abc");
    int fd = posix::sys_open("a.txt", O_RDWR, 0);
    ASSERT_GE(fd, 0);
    swap_call_hook(SystemCall::lock_file, refuse);
    EXPECT_EQ(posix::sys_flock(fd, 0), -1);
    EXPECT_EQ(posix::error_of_injected_errno(errno), 1234u);
    swap_call_hook(SystemCall::set_end_of_file, refuse);
    EXPECT_EQ(posix::sys_ftruncate(fd, 0), -1);
    swap_call_hook(SystemCall::write_file, cut_to_two);
    EXPECT_EQ(posix::sys_write(fd, "wxyz", 4), 2);
    swap_call_hook(SystemCall::close_handle, refuse);
    EXPECT_EQ(posix::sys_close(fd), -1);
    reset_call_hooks();
    EXPECT_EQ(posix::sys_close(fd), 0);
    EXPECT_EQ(ketrav::testing::read_bytes("a.txt"), "wxc");
}

TEST_F(SystemCalls, ListingEndsWithoutErrorOrFailsWithOne) {
    ketrav::testing::write_bytes("a.txt", "a");
    DIR* listing = posix::sys_opendir(".");
    ASSERT_NE(listing, nullptr);
    int entries = 0;
    while (posix::sys_readdir(listing)) ++entries;
    EXPECT_EQ(errno, 0);
    EXPECT_GE(entries, 3);  // ".", ".." and a.txt
    EXPECT_EQ(posix::sys_closedir(listing), 0);

    listing = posix::sys_opendir(".");
    swap_call_hook(SystemCall::find_next, refuse);
    EXPECT_EQ(posix::sys_readdir(listing), nullptr);
    EXPECT_NE(errno, 0);
    EXPECT_EQ(posix::errno_status().error, 1234u);
    reset_call_hooks();
    EXPECT_EQ(posix::sys_closedir(listing), 0);
}

}  // namespace
