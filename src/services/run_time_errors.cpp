// The last error, the fatal exit, and the table from system errors to ours.
#include "services/run_time_errors.h"

#include <array>

#include "platform/process.h"

namespace ketrav::services {
namespace {

int last_recorded = 0;
std::uint32_t memory_failures_seen = 0;

// OS errors 1 to 39, one by one; index 0 is unused.
constexpr std::array<unsigned char, 40> low_os_errors = {
    0,                                  // 0
    75,  53,  76, 67, 70, 51, 241, 7,   // 1-8
    241, 241, 51, 51, 51, 7,  68,  75,  // 9-16
    74,  53,  70, 68, 71, 51, 72,  51,  // 17-24
    72,  72,  72, 72, 72, 72, 72,  70,  // 25-32
    70,  72,  72, 70, 75, 62, 61,       // 33-39
};

}  // namespace

void record_error(int code) {
    if (code == 0) code = run_time_code::internal;
    last_recorded = code & 0xFF;
    if (last_recorded >= run_time_code::first_fatal) platform::exit_process(255);
}

int last_error() { return last_recorded; }

void record_memory_failure() {
    ++memory_failures_seen;
    record_error(run_time_code::out_of_memory);
}

std::uint32_t memory_failures() { return memory_failures_seen; }

int os_error_code(std::uint32_t os_error) {
    if (os_error < low_os_errors.size()) return low_os_errors[os_error];
    if (os_error == 87) return 5;
    if (os_error == 112) return 61;
    return 75;
}

}  // namespace ketrav::services
