// The outcome of one operating-system call, in the Windows system error
// numbering that every backend reports.
#pragma once

#include <cstdint>

namespace ketrav::platform {

using OsError = std::uint32_t;

// Windows system error codes that the layer reports or tests look for.
inline constexpr OsError error_file_not_found = 2;
inline constexpr OsError error_path_not_found = 3;
inline constexpr OsError error_too_many_open_files = 4;
inline constexpr OsError error_access_denied = 5;
inline constexpr OsError error_invalid_handle = 6;
inline constexpr OsError error_not_enough_memory = 8;
inline constexpr OsError error_not_same_device = 17;
inline constexpr OsError error_no_more_files = 18;
inline constexpr OsError error_write_protect = 19;
inline constexpr OsError error_crc = 23;
inline constexpr OsError error_sharing_violation = 32;
inline constexpr OsError error_handle_eof = 38;
inline constexpr OsError error_file_exists = 80;
inline constexpr OsError error_invalid_parameter = 87;
inline constexpr OsError error_disk_full = 112;
inline constexpr OsError error_bad_exe_format = 193;
inline constexpr OsError error_filename_too_long = 206;
inline constexpr OsError error_busy = 170;
inline constexpr OsError error_directory_not_empty = 145;
inline constexpr OsError error_gen_failure = 31;
inline constexpr OsError error_sem_timeout = 121;

// ok is false when the call failed; error is then the system's code, which
// may be 0 when the system gave none.
struct OsStatus {
    bool ok = true;
    OsError error = 0;

    static OsStatus success() { return {}; }
    static OsStatus failure(OsError code) { return {false, code}; }
};

// A handle of the operating system: a Windows HANDLE, or on POSIX a file
// descriptor or an object of the layer's own.
struct OsHandle {
    std::intptr_t value = -1;
    bool valid() const { return value != -1; }
};

// Closes a file, process or thread handle (find handles close by find_close).
OsStatus close_handle(OsHandle handle);

}  // namespace ketrav::platform
