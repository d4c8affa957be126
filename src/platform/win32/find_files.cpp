// Windows backend of find_files.h: FindFirstFileA and its companions.
#include "platform/find_files.h"

#include "platform/call_table.h"
#include "platform/win32/win32_call.h"

namespace ketrav::platform {

using win32::guarded;
using win32::native;

namespace {

void take(const WIN32_FIND_DATAA& data, FoundEntry& entry) {
    entry.name = data.cFileName;
    entry.attributes = data.dwFileAttributes;
}

}  // namespace

OsStatus find_first(const std::string& pattern, OsHandle& search, FoundEntry& entry) {
    search = OsHandle{};
    if (OsError fault = intercept_call(SystemCall::find_first)) return OsStatus::failure(fault);
    WIN32_FIND_DATAA data{};
    HANDLE found = INVALID_HANDLE_VALUE;
    OsStatus status = guarded([&] {
        found = FindFirstFileA(pattern.c_str(), &data);
        return found != INVALID_HANDLE_VALUE;
    });
    if (!status.ok) return status;
    note_handle_opened();
    search.value = reinterpret_cast<std::intptr_t>(found);
    take(data, entry);
    return status;
}

OsStatus find_next(OsHandle search, FoundEntry& entry) {
    if (OsError fault = intercept_call(SystemCall::find_next)) return OsStatus::failure(fault);
    WIN32_FIND_DATAA data{};
    OsStatus status = guarded([&] { return FindNextFileA(native(search), &data) != 0; });
    if (status.ok) take(data, entry);
    return status;
}

OsStatus find_close(OsHandle search) {
    if (OsError fault = intercept_call(SystemCall::find_close)) return OsStatus::failure(fault);
    OsStatus status = guarded([&] { return FindClose(native(search)) != 0; });
    if (status.ok) note_handle_closed();
    return status;
}

OsStatus delete_file(const std::string& name) {
    if (OsError fault = intercept_call(SystemCall::delete_file)) return OsStatus::failure(fault);
    return guarded([&] { return DeleteFileA(name.c_str()) != 0; });
}

}  // namespace ketrav::platform
