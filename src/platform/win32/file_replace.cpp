// Windows backend of file_replace.h: MoveFileExA, which refuses an open
// target.
#include "platform/file_replace.h"

#include "platform/call_table.h"
#include "platform/win32/win32_call.h"

namespace ketrav::platform {

OsStatus replace_file(const std::string& from, const std::string& to) {
    if (OsError fault = intercept_call(SystemCall::rename_file)) return OsStatus::failure(fault);
    // Said outright, as not every system that runs Windows programs refuses
    // a read-only target by itself.
    DWORD attributes = GetFileAttributesA(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return OsStatus::failure(error_access_denied);
    return win32::guarded(
        [&] { return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0; });
}

// The program writes no file through a link of its own choosing on Windows:
// the name is the file.
OsStatus own_link_target(const std::string& name, std::string& target) {
    target = name;
    return OsStatus::success();
}

}  // namespace ketrav::platform
