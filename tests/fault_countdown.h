// Test support: the countdown fault injector on the OS layer's call table.
// Counts the calls the table sees and makes the chosen one fail, once or
// from then on, with a Windows error code, or write fewer bytes than asked.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/call_table.h"

namespace ketrav::testing {

using platform::OsError;
using platform::SystemCall;

// The call numbered `nth` (1 = the next one) fails with `error`, and when
// `persistent` so does every later one.
void fail_nth_call(unsigned nth, OsError error, bool persistent);
// The same, counting only the calls of one kind.
void fail_nth_call_of(SystemCall kind, unsigned nth, OsError error, bool persistent);
// The nth write (counting writes only) takes at most `bytes`.
void short_write_nth_write(unsigned nth, std::uint32_t bytes);
// Counts calls and fails none.
void count_calls();

// Calls seen since the countdown was armed (of its kind, when it has one).
unsigned calls_seen();
// Calls of one kind seen since the countdown was armed.
unsigned calls_seen_of(SystemCall kind);
bool fault_fired();
// How many calls of one kind the countdown has made fail.
unsigned failures_of(SystemCall kind);
// The call the countdown last made fail (or cut short), or SystemCall::count.
SystemCall failed_call();
// Every call seen since the countdown was armed, in order, and whether the
// countdown made it fail.
struct CallMade {
    SystemCall call;
    bool failed;
};
const std::vector<CallMade>& calls_made();

// Takes the countdown out of the table again.
void stop_countdown();

}  // namespace ketrav::testing
