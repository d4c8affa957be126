// The table through which every system call of the OS layer passes, so that
// tests can make a chosen call fail or write less, and the open-handle count.
// The program keeps only the table; what fails when is the tests' business.
#pragma once

#include <cstdint>
#include <string>

#include "platform/os_status.h"

namespace ketrav::platform {

// The system calls of both backends, each step of a layer operation on its
// own. A backend uses those it has: POSIX opens a file in three steps
// (file_status, open_file, lock_file), Windows in one (open_file); the
// pipeline steps exist on POSIX only, exit_code_of_process as a system call
// on Windows only.
enum class SystemCall : int {
    file_status,           // stat: a name's kind and mode
    open_file,             // open / CreateFileA
    lock_file,             // flock: no sharing
    file_type,             // fstat / GetFileType
    set_file_pointer,      // lseek / SetFilePointerEx
    set_end_of_file,       // ftruncate / SetEndOfFile
    read_file,             // read / ReadFile
    write_file,            // write / WriteFile
    close_handle,          // close / CloseHandle
    find_first,            // opendir / FindFirstFileA
    find_next,             // readdir / FindNextFileA
    find_close,            // closedir / FindClose
    delete_file,           // unlink / DeleteFileA
    program_path,          // readlink of /proc/self/exe, realpath / GetModuleFileNameA
    program_access,        // access: may the program be run
    create_process,        // posix_spawn / CreateProcessA
    wait_for_process,      // waitpid / WaitForSingleObject
    exit_code_of_process,  // GetExitCodeProcess
    create_pipe,           // pipe2
    fork_process,          // fork
    duplicate_handle,      // dup2
    execute_program,       // execve
    read_file_at,          // pread: positioning and reading in one call
    rename_file,           // rename / MoveFileExA: a file put in another's place
    create_lock,           // CreateFileA of the lock file: the run's claim on its directory
    sync_file,             // fsync / FlushFileBuffers: a new file on disk before it replaces another
    set_attributes,        // fchmod, fchown, fsetxattr: the old file's settings on the new one
    read_link,             // readlinkat: the one link of the sysop's that is followed
    random_bytes,          // getrandom or /dev/urandom / RtlGenRandom: a key or a name no one can foresee
    count
};

const char* system_call_name(SystemCall call);

// A hook sees a call before the system does. Returning a non-zero Windows
// error makes the call fail with it; for write_file the hook may lower
// `bytes` to make the call write fewer bytes than asked.
using CallHook = OsError (*)(SystemCall call, std::uint32_t& bytes);

// Puts `hook` in the call's entry (nullptr restores the real call) and
// returns what was there.
CallHook swap_call_hook(SystemCall call, CallHook hook);
void reset_call_hooks();

// What a call did to what is on disk, told after the call was made: for a
// test that builds the states a power cut may leave. The POSIX backend
// tells every open (a descriptor's file, maybe made new), write, size set,
// rename, removal, mode or owner set, flush and close; Windows tells nothing, as its
// replacement is one call that writes through.
struct DiskChange {
    SystemCall call;
    std::intptr_t result = -1;        // what the call returned: a new descriptor for an open
    std::intptr_t handle = -1;        // the file or directory the call was made on or in (-100: the current one)
    std::string name;                 // the name opened, made, removed, or renamed from
    std::intptr_t to_directory = -1;  // a rename's directory and name
    std::string to_name;
    std::string bytes;               // what a write wrote
    std::int64_t value = 0;          // an open's flags, a size set, a mode set
    bool whole_file_system = false;  // a flush of every file on the handle's file system
    std::int64_t owner = -1, group = -1;  // an owner and group set (-1: left as they were)
};
using DiskObserver = void (*)(const DiskChange& change);

// Puts `observer` in place (nullptr: none), returning what was there.
DiskObserver observe_disk_changes(DiskObserver observer);
// Whether anyone observes; the backend builds no record otherwise.
bool disk_changes_observed();
void tell_disk_change(const DiskChange& change);

// Handles the layer has opened and not yet closed: files, finds, processes.
int open_handle_count();

// Used by the backends: run the call's hook. Returns the error to fail with,
// or 0 to go ahead.
OsError intercept_call(SystemCall call, std::uint32_t& bytes);
OsError intercept_call(SystemCall call);
void note_handle_opened();
void note_handle_closed();

}  // namespace ketrav::platform
