// Windows backend of scratch_files.h: created new, shared with no one, and
// deleted by the system when its handle closes.
#include "platform/scratch_files.h"

#include <string>

#include "platform/call_table.h"
#include "platform/win32/win32_call.h"

namespace ketrav::platform {
namespace {

// Names only need to be new: CREATE_NEW refuses one that is taken.
constexpr int name_tries = 100;

std::string candidate_name(const std::string& directory) {
    static unsigned long counter = 0;
    std::string name = directory;
    if (name.empty() || (name.back() != '\\' && name.back() != '/')) name += '\\';
    name += "ketrav-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + "-" +
            std::to_string(GetTickCount()) + ".tmp";
    return name;
}

}  // namespace

std::string scratch_directory() {
    char path[MAX_PATH + 1] = {};
    DWORD length = GetTempPathA(sizeof path, path);
    if (length == 0 || length > MAX_PATH) return "C:\\Windows\\Temp";
    return std::string(path, length);
}

OsStatus create_scratch_file(const std::string& directory, OsHandle& handle) {
    handle = OsHandle{};
    for (int attempt = 0; attempt < name_tries; ++attempt) {
        if (OsError fault = intercept_call(SystemCall::open_file)) return OsStatus::failure(fault);
        std::string name = candidate_name(directory);
        HANDLE opened = INVALID_HANDLE_VALUE;
        OsStatus status = win32::guarded([&] {
            opened = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
            return opened != INVALID_HANDLE_VALUE;
        });
        if (!status.ok && status.error == error_file_exists) continue;
        if (!status.ok) return status;
        note_handle_opened();
        handle.value = reinterpret_cast<std::intptr_t>(opened);
        return status;
    }
    return OsStatus::failure(error_file_exists);
}

}  // namespace ketrav::platform
