// The table through which every system call of the OS layer passes, so that
// tests can make a chosen call fail or write less, and the open-handle count.
#pragma once

#include <cstdint>

#include "platform/os_status.h"

namespace ketrav::platform {

enum class SystemCall : int {
    open_file,
    file_type,
    set_file_pointer,
    set_end_of_file,
    read_file,
    write_file,
    close_handle,
    find_first,
    find_next,
    find_close,
    delete_file,
    create_process,
    wait_for_process,
    exit_code_of_process,
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

// Countdown faults over all calls: the call numbered `nth` (1 = the next one)
// fails with `error`, and when `persistent` so does every later one. With a
// short write, the nth call, which must be a write, takes only `bytes`.
void fail_nth_call(unsigned nth, OsError error, bool persistent);
void short_write_nth_call(unsigned nth, std::uint32_t bytes);
// Calls seen since the last fail_nth_call/short_write_nth_call/reset.
unsigned calls_seen();
bool fault_fired();
// The call the countdown last made fail, or SystemCall::count.
SystemCall failed_call();

// Handles the layer has opened and not yet closed: files, finds, processes.
int open_handle_count();

// Used by the backends: run the call's hook. Returns the error to fail with,
// or 0 to go ahead.
OsError intercept_call(SystemCall call, std::uint32_t& bytes);
OsError intercept_call(SystemCall call);
void note_handle_opened();
void note_handle_closed();

}  // namespace ketrav::platform
