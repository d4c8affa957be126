// errno to Windows system error codes, for every call of the POSIX backend.
#include "platform/posix/errno_mapping.h"

#include <cerrno>

#include "platform/posix/system_calls.h"

namespace ketrav::platform {

OsError os_error_from_errno(int errno_value) {
    if (posix::is_injected_errno(errno_value)) return posix::error_of_injected_errno(errno_value);
    switch (errno_value) {
        case 0: return 0;
        case ENOENT: return error_file_not_found;
        case ENOTDIR: return error_path_not_found;
        case EMFILE:
        case ENFILE: return error_too_many_open_files;
        case EACCES:
        case EPERM:
        case EISDIR:
        case ELOOP: return error_access_denied;  // a symbolic link where none is followed
        case EBADF: return error_invalid_handle;
        case ENOMEM: return error_not_enough_memory;
        case EXDEV: return error_not_same_device;
        case EROFS: return error_write_protect;
        case EIO: return error_crc;
        case EWOULDBLOCK:
        case ETXTBSY: return error_sharing_violation;
        case EEXIST: return error_file_exists;
        case EINVAL: return error_invalid_parameter;
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return error_disk_full;
        case EBUSY: return error_busy;
        case ENOTEMPTY: return error_directory_not_empty;
        case ENAMETOOLONG: return error_filename_too_long;
        case ENOEXEC: return error_bad_exe_format;
        default: return error_gen_failure;
    }
}

OsStatus posix::errno_status() { return OsStatus::failure(os_error_from_errno(errno)); }

}  // namespace ketrav::platform
