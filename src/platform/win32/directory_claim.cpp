// Windows backend of directory_claim.h: a named mutex for the directory's
// full path, which Windows removes when its last handle closes, however the
// process ends. In the global namespace where the system allows it, so that
// a scheduled run and a sysop's run in another session meet.
#include "platform/directory_claim.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/call_table.h"
#include "platform/win32/win32_call.h"

namespace ketrav::platform {
namespace {

// The directory's full path, letter case folded as the file system folds
// it, hashed (FNV-1a) to fit a mutex name whatever its length.
std::string claim_name(const char* name_space) {
    char full[MAX_PATH + 1] = {};
    DWORD length = GetFullPathNameA(".", MAX_PATH, full, nullptr);
    std::uint64_t hash = 14695981039346656037ull;
    for (DWORD i = 0; i < length && i < MAX_PATH; ++i) {
        unsigned char c = static_cast<unsigned char>(full[i]);
        if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
        if (c == '/') c = '\\';
        hash = (hash ^ c) * 1099511628211ull;
    }
    char name[64];
    std::snprintf(name, sizeof name, "%sKetRAV-%016llx", name_space, static_cast<unsigned long long>(hash));
    return name;
}

}  // namespace

OsStatus claim_current_directory(OsHandle& claim) {
    claim = OsHandle{};
    if (OsError fault = intercept_call(SystemCall::create_lock)) return OsStatus::failure(fault);
    OsStatus status = OsStatus::failure(error_access_denied);
    for (const char* name_space : {"Global\\", "Local\\"}) {
        std::string name = claim_name(name_space);
        HANDLE mutex = nullptr;
        DWORD error = 0;
        status = win32::guarded([&] {
            mutex = CreateMutexA(nullptr, FALSE, name.c_str());
            error = GetLastError();
            return mutex != nullptr;
        });
        if (!status.ok) continue;
        if (error == ERROR_ALREADY_EXISTS) {
            CloseHandle(mutex);
            return OsStatus::failure(error_sharing_violation);
        }
        note_handle_opened();
        claim.value = reinterpret_cast<std::intptr_t>(mutex);
        return status;
    }
    return status;
}

}  // namespace ketrav::platform
