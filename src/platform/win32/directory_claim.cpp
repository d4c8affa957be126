// Windows backend of directory_claim.h: the lock file opened with no sharing
// and deleted when its handle closes. It is one object whatever path leads
// to it (another drive letter, subst, a mapped drive, UNC, an 8.3 name), in
// every session and account, and Windows closes the handle however the
// process ends.
#include "platform/directory_claim.h"

#include "platform/call_table.h"
#include "platform/win32/win32_call.h"

namespace ketrav::platform {

OsStatus claim_current_directory(const std::string& lock_name, OsHandle& claim) {
    claim = OsHandle{};
    if (OsError fault = intercept_call(SystemCall::create_lock)) return OsStatus::failure(fault);
    HANDLE lock = INVALID_HANDLE_VALUE;
    OsStatus status = win32::guarded([&] {
        lock = CreateFileA(lock_name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        return lock != INVALID_HANDLE_VALUE;
    });
    if (!status.ok) return status;
    note_handle_opened();
    claim.value = reinterpret_cast<std::intptr_t>(lock);
    return status;
}

OsStatus release_directory_claim(OsHandle& claim) {
    OsStatus closed = close_handle(claim);
    if (closed.ok) claim = OsHandle{};
    return closed;
}

}  // namespace ketrav::platform
