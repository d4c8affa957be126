// Windows only: how the backend makes each system call.
#pragma once

#include <windows.h>

#include "platform/os_status.h"

namespace ketrav::platform::win32 {

// Runs one system call with no critical-error or open-file dialog box, the
// last error cleared before it and read after a failure, and the earlier
// error mode restored.
template <class Call>
OsStatus guarded(Call call) {
    UINT earlier = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    SetLastError(0);
    bool ok = call();
    DWORD error = ok ? 0 : GetLastError();
    SetErrorMode(earlier);
    return ok ? OsStatus::success() : OsStatus::failure(error);
}

inline HANDLE native(OsHandle handle) { return reinterpret_cast<HANDLE>(handle.value); }

}  // namespace ketrav::platform::win32
