// Windows backend of file_io.h: thin calls of the Win32 file API.
#include "platform/file_io.h"

#include "platform/call_table.h"
#include "platform/win32/win32_call.h"

namespace ketrav::platform {

using win32::guarded;
using win32::native;

// Windows names no owner a run acts for.
void take_name_from(OsHandle, const std::string&) {}

OsStatus open_file(const std::string& name, FileAccess access, OsHandle& handle) {
    handle = OsHandle{};
    if (OsError fault = intercept_call(SystemCall::open_file)) return OsStatus::failure(fault);
    SECURITY_ATTRIBUTES security{};
    security.nLength = sizeof security;
    security.bInheritHandle = TRUE;
    HANDLE opened = INVALID_HANDLE_VALUE;
    OsStatus status = guarded([&] {
        opened = CreateFileA(name.c_str(), access == FileAccess::read ? GENERIC_READ : GENERIC_WRITE, 0, &security,
                             access == FileAccess::read ? OPEN_EXISTING : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        return opened != INVALID_HANDLE_VALUE;
    });
    if (!status.ok) return status;
    note_handle_opened();
    handle.value = reinterpret_cast<std::intptr_t>(opened);
    return status;
}

OsStatus file_kind(OsHandle handle, FileKind& kind) {
    kind = FileKind::other;
    if (OsError fault = intercept_call(SystemCall::file_type)) return OsStatus::failure(fault);
    DWORD type = FILE_TYPE_UNKNOWN;
    OsStatus status = guarded([&] {
        type = GetFileType(native(handle));
        return type != FILE_TYPE_UNKNOWN || GetLastError() == NO_ERROR;
    });
    if (status.ok) kind = type == FILE_TYPE_DISK ? FileKind::disk : FileKind::other;
    return status;
}

OsStatus set_file_pointer(OsHandle handle, std::uint64_t offset) {
    if (OsError fault = intercept_call(SystemCall::set_file_pointer)) return OsStatus::failure(fault);
    return guarded([&] {
        LONG high = static_cast<LONG>(offset >> 32);
        DWORD low = SetFilePointer(native(handle), static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
        return low != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR;
    });
}

OsStatus set_end_of_file(OsHandle handle) {
    if (OsError fault = intercept_call(SystemCall::set_end_of_file)) return OsStatus::failure(fault);
    return guarded([&] { return SetEndOfFile(native(handle)) != 0; });
}

OsStatus read_file(OsHandle handle, void* buffer, std::uint32_t size, std::uint32_t& bytes_read) {
    bytes_read = 0;
    if (OsError fault = intercept_call(SystemCall::read_file)) return OsStatus::failure(fault);
    DWORD got = 0;
    OsStatus status = guarded([&] { return ReadFile(native(handle), buffer, size, &got, nullptr) != 0; });
    bytes_read = got;
    return status;
}

OsStatus write_file(OsHandle handle, const void* data, std::uint32_t size, std::uint32_t& bytes_written) {
    bytes_written = 0;
    std::uint32_t allowed = size;
    if (OsError fault = intercept_call(SystemCall::write_file, allowed)) return OsStatus::failure(fault);
    DWORD put = 0;
    OsStatus status = guarded([&] { return WriteFile(native(handle), data, allowed, &put, nullptr) != 0; });
    bytes_written = put;
    return status;
}

OsStatus read_file_at(OsHandle handle, std::uint64_t offset, void* buffer, std::uint32_t size,
                      std::uint32_t& bytes_read) {
    bytes_read = 0;
    OsStatus placed = set_file_pointer(handle, offset);
    if (!placed.ok) return placed;
    return read_file(handle, buffer, size, bytes_read);
}

OsStatus close_handle(OsHandle handle) {
    // INVALID_HANDLE_VALUE is also the pseudo-handle of this process, which
    // CloseHandle accepts: a handle that was never opened is refused here.
    if (!handle.valid()) return OsStatus::failure(error_invalid_handle);
    if (OsError fault = intercept_call(SystemCall::close_handle)) return OsStatus::failure(fault);
    OsStatus status = guarded([&] { return CloseHandle(native(handle)) != 0; });
    if (status.ok) {
        note_handle_closed();
    }
    return status;
}

// Windows gives a file's creator access to it whatever else is set.
void keep_owner_access_to_new_files() {}

}  // namespace ketrav::platform
