// The POSIX backend's one errno mapping.
#include "platform/posix/errno_mapping.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace ketrav::platform;

TEST(PlatformErrno, CommonCasesMapToWindowsCodes) {
    EXPECT_EQ(os_error_from_errno(0), 0u);
    EXPECT_EQ(os_error_from_errno(ENOENT), error_file_not_found);
    EXPECT_EQ(os_error_from_errno(ENOTDIR), error_path_not_found);
    EXPECT_EQ(os_error_from_errno(EACCES), error_access_denied);
    EXPECT_EQ(os_error_from_errno(EPERM), error_access_denied);
    EXPECT_EQ(os_error_from_errno(EWOULDBLOCK), error_sharing_violation);
    EXPECT_EQ(os_error_from_errno(EMFILE), error_too_many_open_files);
    EXPECT_EQ(os_error_from_errno(ENOSPC), error_disk_full);
    EXPECT_EQ(os_error_from_errno(EINVAL), error_invalid_parameter);
    EXPECT_EQ(os_error_from_errno(EBADF), error_invalid_handle);
    EXPECT_EQ(os_error_from_errno(ENOMEM), error_not_enough_memory);
    EXPECT_EQ(os_error_from_errno(EROFS), error_write_protect);
    EXPECT_EQ(os_error_from_errno(EXDEV), error_not_same_device);
    EXPECT_EQ(os_error_from_errno(EIO), error_crc);
}
