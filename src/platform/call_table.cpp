// The swappable call table and the open-handle count.
#include "platform/call_table.h"

#include <array>
#include <atomic>

namespace ketrav::platform {
namespace {

struct CallEntry {
    const char* name;
    CallHook hook;
};

std::array<CallEntry, static_cast<int>(SystemCall::count)> call_table = {{
    {"file_status", nullptr},     {"open_file", nullptr},        {"lock_file", nullptr},
    {"file_type", nullptr},       {"set_file_pointer", nullptr}, {"set_end_of_file", nullptr},
    {"read_file", nullptr},       {"write_file", nullptr},       {"close_handle", nullptr},
    {"find_first", nullptr},      {"find_next", nullptr},        {"find_close", nullptr},
    {"delete_file", nullptr},     {"program_path", nullptr},     {"program_access", nullptr},
    {"create_process", nullptr},  {"wait_for_process", nullptr}, {"exit_code_of_process", nullptr},
    {"create_pipe", nullptr},     {"fork_process", nullptr},     {"duplicate_handle", nullptr},
    {"execute_program", nullptr}, {"read_file_at", nullptr},     {"rename_file", nullptr},
    {"create_lock", nullptr},     {"sync_file", nullptr},        {"set_attributes", nullptr},
    {"read_link", nullptr},       {"random_bytes", nullptr},
}};

std::atomic<int> handles_open{0};
DiskObserver disk_observer = nullptr;

}  // namespace

const char* system_call_name(SystemCall call) { return call_table[static_cast<int>(call)].name; }

CallHook swap_call_hook(SystemCall call, CallHook hook) {
    CallHook previous = call_table[static_cast<int>(call)].hook;
    call_table[static_cast<int>(call)].hook = hook;
    return previous;
}

void reset_call_hooks() {
    for (auto& entry : call_table) entry.hook = nullptr;
}

int open_handle_count() { return handles_open.load(); }

OsError intercept_call(SystemCall call, std::uint32_t& bytes) {
    CallHook hook = call_table[static_cast<int>(call)].hook;
    return hook ? hook(call, bytes) : 0;
}

OsError intercept_call(SystemCall call) {
    std::uint32_t unused = 0;
    return intercept_call(call, unused);
}

DiskObserver observe_disk_changes(DiskObserver observer) {
    DiskObserver previous = disk_observer;
    disk_observer = observer;
    return previous;
}

bool disk_changes_observed() { return disk_observer != nullptr; }

void tell_disk_change(const DiskChange& change) {
    if (disk_observer) disk_observer(change);
}

void note_handle_opened() { ++handles_open; }
void note_handle_closed() { --handles_open; }

}  // namespace ketrav::platform
