// Windows backend of file_replace.h: the old file's attributes and security
// copied onto the new one, then one MoveFileExA that replaces, so that the
// name never stands without a report, not even for a moment, and no
// failure of the call can lose the old one (ReplaceFileA can: it may leave
// the old file gone or under another name). The program follows no link of
// its own choosing here: the name is the file, and the new one is written
// beside it, so it can never land on the run's other files. A reader that
// holds the old report a moment (a viewer, a posting tool) is waited out,
// for a few seconds at most, all told, even one that lets go of it only for
// a few milliseconds at a time before it opens it again.
#include "platform/file_replace.h"

#include "platform/call_table.h"
#include "platform/win32/win32_call.h"

namespace ketrav::platform {
namespace {

// How long, all told, a replacement waits for a report another program
// holds open, and how often it tries meanwhile. The wait is not renewed by
// a reader that comes back, so that no reader holds a scheduled run longer
// than this; the tries come as often as the system's clock lets a thread
// sleep (a millisecond, or a tick of about 16), so that a reader that
// reopens the report in bursts is caught in the gaps between them.
constexpr DWORD held_report_wait_ms = 5000;
constexpr DWORD held_report_retry_ms = 1;

// Runs `attempt` until it succeeds, fails otherwise than by the file being
// held (the sharing violation), or the replacement's one wait is over: its
// time is elapsed time, from the first refusal the replacement met, so the
// check and the move share it.
template <typename Attempt>
OsStatus waiting_out_readers(Replacement& replacement, Attempt attempt) {
    OsStatus status = attempt();
    while (!status.ok && status.error == error_sharing_violation) {
        DWORD now = GetTickCount();
        if (!replacement.waiting) {
            replacement.waiting = true;
            replacement.waiting_since = now;
        }
        if (now - replacement.waiting_since >= held_report_wait_ms) break;
        Sleep(held_report_retry_ms);
        status = attempt();
    }
    return status;
}

// Opens the old report as the move will need it (for deletion), sharing
// everything a viewer may share, and closes it at once: the sharing
// violation when another program holds it without sharing its deletion;
// access denied when its access list refuses the deletion, for good. A
// viewer's own open is never refused because of it.
OsStatus open_as_the_move_will(const std::string& name) {
    return win32::guarded([&] {
        HANDLE old = CreateFileA(name.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (old == INVALID_HANDLE_VALUE) return false;
        CloseHandle(old);
        return true;
    });
}

std::string beside(const std::string& name, const std::string& file) {
    std::size_t last = name.find_last_of("\\/:");
    return last == std::string::npos ? file : name.substr(0, last + 1) + file;
}

bool file_is_there(const std::string& name) { return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The full path of a name: not every system that runs Windows programs
// takes a bare file name in a move that replaces.
std::string full_path(const std::string& name) {
    char full[MAX_PATH + 1] = {};
    DWORD length = GetFullPathNameA(name.c_str(), MAX_PATH, full, nullptr);
    return length == 0 || length > MAX_PATH ? name : std::string(full, length);
}

// The old file's attributes (hidden, system, archive, not indexed) and
// its access control list on the new one, as ReplaceFileA would give them.
OsStatus copy_settings(const std::string& from, const std::string& to) {
    constexpr DWORD kept =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    DWORD attributes = GetFileAttributesA(from.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return OsStatus::success();  // gone since: nothing to keep
    OsStatus status = win32::guarded([&] {
        return SetFileAttributesA(to.c_str(), (attributes & kept) ? attributes & kept : FILE_ATTRIBUTE_NORMAL) != 0;
    });
    if (!status.ok) return status;
    // A security descriptor is a few hundred bytes, far below this.
    static unsigned char security[65536];
    DWORD needed = 0;
    status = win32::guarded([&] {
        return GetFileSecurityA(from.c_str(), DACL_SECURITY_INFORMATION, security, sizeof security, &needed) != 0;
    });
    if (!status.ok) return status;
    return win32::guarded([&] { return SetFileSecurityA(to.c_str(), DACL_SECURITY_INFORMATION, security) != 0; });
}

}  // namespace

// The name is the file: it leads onto none of the run's other files.
OsStatus check_replacement_target(const std::string&, const std::string&, const std::vector<std::string>&) {
    return OsStatus::success();
}

OsStatus open_replacement(const std::string& name, const std::string& local_temporary, OsHandle& file,
                          Replacement& replacement, const std::vector<std::string>&) {
    file = OsHandle{};
    replacement = Replacement{};
    if (OsError fault = intercept_call(SystemCall::open_file)) return OsStatus::failure(fault);
    // Said outright, as not every system that runs Windows programs refuses
    // a read-only target by itself.
    DWORD attributes = GetFileAttributesA(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return OsStatus::failure(error_access_denied);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // An open elsewhere that would refuse the rename holds the old
        // report: waited out, a few seconds at most.
        OsStatus free = waiting_out_readers(replacement, [&] { return open_as_the_move_will(name); });
        if (!free.ok) return free;
    }
    std::string temporary = beside(name, local_temporary);
    // What a killed run left goes first; the claim on the directory keeps
    // every other run of this host away from the name.
    DeleteFileA(temporary.c_str());
    SECURITY_ATTRIBUTES security{};
    security.nLength = sizeof security;
    security.bInheritHandle = TRUE;
    HANDLE made = INVALID_HANDLE_VALUE;
    OsStatus status = win32::guarded([&] {
        made = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, &security, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        return made != INVALID_HANDLE_VALUE;
    });
    if (!status.ok) return status;
    note_handle_opened();
    file.value = reinterpret_cast<std::intptr_t>(made);
    replacement.target = name;
    replacement.temporary = temporary;
    return status;
}

OsStatus complete_replacement(OsHandle file, Replacement& replacement) {
    OsStatus status = OsStatus::success();
    if (OsError fault = intercept_call(SystemCall::sync_file)) status = OsStatus::failure(fault);
    if (status.ok) status = win32::guarded([&] { return FlushFileBuffers(win32::native(file)) != 0; });
    // The move needs the new file closed: this handle goes first.
    OsStatus closed = close_handle(file);
    if (status.ok) status = closed;
    bool old_there = status.ok && file_is_there(replacement.target);
    if (status.ok && old_there) {
        if (OsError fault = intercept_call(SystemCall::set_attributes)) status = OsStatus::failure(fault);
    }
    if (status.ok) {
        if (OsError fault = intercept_call(SystemCall::rename_file)) status = OsStatus::failure(fault);
    }
    if (status.ok) {
        // A reader that holds the old report refuses the reading of its
        // security (on some systems) as well as the move: both are waited
        // out together.
        std::string target = full_path(replacement.target), temporary = full_path(replacement.temporary);
        status = waiting_out_readers(replacement, [&] {
            OsStatus step = old_there ? copy_settings(replacement.target, replacement.temporary) : OsStatus::success();
            if (!step.ok) return step;
            OsStatus moved = win32::guarded([&] {
                return MoveFileExA(temporary.c_str(), target.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
            });
            // A move refused while another program has the report open (even
            // one that shares everything) is waited out like a held report;
            // a refusal of the access list is final.
            if (moved.ok || moved.error != error_access_denied || !old_there) return moved;
            OsStatus again = open_as_the_move_will(replacement.target);
            return again.ok || again.error == error_sharing_violation ? OsStatus::failure(error_sharing_violation)
                                                                      : moved;
        });
    }
    if (!status.ok) DeleteFileA(replacement.temporary.c_str());
    return status;
}

OsStatus abandon_replacement(OsHandle file, Replacement& replacement) {
    OsStatus closed = close_handle(file);
    DeleteFileA(replacement.temporary.c_str());
    return closed;
}

}  // namespace ketrav::platform
