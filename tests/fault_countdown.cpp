// Test support: the countdown fault injector.
#include "fault_countdown.h"

#include <array>

namespace ketrav::testing {
namespace {

struct Countdown {
    SystemCall kind = SystemCall::count;  // count: every kind
    unsigned seen = 0;
    unsigned nth = 0;
    OsError error = 0;
    bool persistent = false;
    bool short_write = false;
    std::uint32_t short_bytes = 0;
    bool fired = false;
    SystemCall failed = SystemCall::count;
    std::array<unsigned, static_cast<int>(SystemCall::count)> seen_of{};
    std::array<unsigned, static_cast<int>(SystemCall::count)> failed_of{};
    std::vector<CallMade> made;
};
Countdown countdown;

// The error the countdown makes `call` fail with, or 0.
OsError due_error(SystemCall call, std::uint32_t& bytes) {
    ++countdown.seen_of[static_cast<int>(call)];
    if (countdown.kind != SystemCall::count && call != countdown.kind) return 0;
    ++countdown.seen;
    if (countdown.nth == 0) return 0;
    bool due = countdown.seen == countdown.nth || (countdown.persistent && countdown.seen > countdown.nth);
    if (!due) return 0;
    countdown.fired = true;
    countdown.failed = call;
    if (countdown.short_write) {
        if (bytes > countdown.short_bytes) bytes = countdown.short_bytes;
        return 0;
    }
    ++countdown.failed_of[static_cast<int>(call)];
    return countdown.error;
}

OsError countdown_hook(SystemCall call, std::uint32_t& bytes) {
    OsError error = due_error(call, bytes);
    countdown.made.push_back(CallMade{call, error != 0});
    return error;
}

void arm(const Countdown& plan) {
    countdown = plan;
    for (int i = 0; i < static_cast<int>(SystemCall::count); ++i)
        platform::swap_call_hook(static_cast<SystemCall>(i), countdown_hook);
}

}  // namespace

void fail_nth_call(unsigned nth, OsError error, bool persistent) {
    fail_nth_call_of(SystemCall::count, nth, error, persistent);
}

void fail_nth_call_of(SystemCall kind, unsigned nth, OsError error, bool persistent) {
    Countdown plan;
    plan.kind = kind;
    plan.nth = nth;
    plan.error = error;
    plan.persistent = persistent;
    arm(plan);
}

void short_write_nth_write(unsigned nth, std::uint32_t bytes) {
    Countdown plan;
    plan.kind = SystemCall::write_file;
    plan.nth = nth;
    plan.short_write = true;
    plan.short_bytes = bytes;
    arm(plan);
}

void count_calls() { arm(Countdown{}); }

unsigned calls_seen() { return countdown.seen; }
unsigned calls_seen_of(SystemCall kind) { return countdown.seen_of[static_cast<int>(kind)]; }
bool fault_fired() { return countdown.fired; }
unsigned failures_of(SystemCall kind) { return countdown.failed_of[static_cast<int>(kind)]; }
SystemCall failed_call() { return countdown.failed; }
const std::vector<CallMade>& calls_made() { return countdown.made; }

void stop_countdown() {
    platform::reset_call_hooks();
    countdown = Countdown{};
}

}  // namespace ketrav::testing
