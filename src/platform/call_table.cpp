// The swappable call table and the countdown fault injector built on it.
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
    {"open_file", nullptr},
    {"file_type", nullptr},
    {"set_file_pointer", nullptr},
    {"set_end_of_file", nullptr},
    {"read_file", nullptr},
    {"write_file", nullptr},
    {"close_handle", nullptr},
    {"find_first", nullptr},
    {"find_next", nullptr},
    {"find_close", nullptr},
    {"delete_file", nullptr},
    {"create_process", nullptr},
    {"wait_for_process", nullptr},
    {"exit_code_of_process", nullptr},
}};

std::atomic<int> handles_open{0};

struct Countdown {
    unsigned seen = 0;
    unsigned nth = 0;
    OsError error = 0;
    bool persistent = false;
    bool short_write = false;
    std::uint32_t short_bytes = 0;
    bool fired = false;
    SystemCall failed = SystemCall::count;
};
Countdown countdown;

OsError countdown_hook(SystemCall call, std::uint32_t& bytes) {
    ++countdown.seen;
    bool due = countdown.seen == countdown.nth || (countdown.persistent && countdown.seen > countdown.nth);
    if (!due) return 0;
    countdown.fired = true;
    countdown.failed = call;
    if (countdown.short_write) {
        if (call == SystemCall::write_file && bytes > countdown.short_bytes) bytes = countdown.short_bytes;
        return 0;
    }
    return countdown.error;
}

void arm_countdown(const Countdown& plan) {
    countdown = plan;
    for (auto& entry : call_table) entry.hook = countdown_hook;
}

}  // namespace

const char* system_call_name(SystemCall call) { return call_table[static_cast<int>(call)].name; }

CallHook swap_call_hook(SystemCall call, CallHook hook) {
    CallHook previous = call_table[static_cast<int>(call)].hook;
    call_table[static_cast<int>(call)].hook = hook;
    return previous;
}

void reset_call_hooks() {
    for (auto& entry : call_table) entry.hook = nullptr;
    countdown = Countdown{};
}

void fail_nth_call(unsigned nth, OsError error, bool persistent) {
    Countdown plan;
    plan.nth = nth;
    plan.error = error;
    plan.persistent = persistent;
    arm_countdown(plan);
}

void short_write_nth_call(unsigned nth, std::uint32_t bytes) {
    Countdown plan;
    plan.nth = nth;
    plan.short_write = true;
    plan.short_bytes = bytes;
    arm_countdown(plan);
}

unsigned calls_seen() { return countdown.seen; }
bool fault_fired() { return countdown.fired; }
SystemCall failed_call() { return countdown.failed; }

int open_handle_count() { return handles_open.load(); }

OsError intercept_call(SystemCall call, std::uint32_t& bytes) {
    CallHook hook = call_table[static_cast<int>(call)].hook;
    return hook ? hook(call, bytes) : 0;
}

OsError intercept_call(SystemCall call) {
    std::uint32_t unused = 0;
    return intercept_call(call, unused);
}

void note_handle_opened() { ++handles_open; }
void note_handle_closed() { --handles_open; }

}  // namespace ketrav::platform
