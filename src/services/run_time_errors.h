// The run's one error record: every failing service records a code here and
// hands back a neutral result; codes of 241 and more end the process.
#pragma once

#include <cstdint>

namespace ketrav::services {

// Run-time error codes: a numbering of their own (0 to 255), apart from the
// operating system's; os_error_code turns the one into the other.
namespace run_time_code {
inline constexpr int out_of_memory = 7;
inline constexpr int internal = 51;
inline constexpr int slot_not_open = 52;
inline constexpr int file_not_found = 53;
inline constexpr int wrong_mode = 54;
inline constexpr int slot_already_open = 55;
inline constexpr int device_write_incomplete = 57;
inline constexpr int disk_full = 61;
inline constexpr int input_past_end = 62;
inline constexpr int bad_file_name = 64;
inline constexpr int permission_denied = 70;
inline constexpr int device_error = 72;
inline constexpr int path_not_found = 76;
inline constexpr int first_fatal = 241;
inline constexpr int file_table_damaged = 242;
}  // namespace run_time_code

// Makes `code` the last error (0 is recorded as 51). A code of 241 or more
// ends the process at once with exit status 255; nothing is closed.
void record_error(int code);

// The last code recorded; 0 until the first failure. Never cleared.
int last_error();

// Records the out-of-memory code (7) for a service that hands back a plain
// text, number or nothing, and so has no result that could tell the caller:
// the text it gave may be short. Counted, apart from every other failure.
void record_memory_failure();
// How many times memory has run out so far. Never reset: a caller compares
// two counts to learn whether a step lost any text.
std::uint32_t memory_failures();

// The run-time error code for a Windows system error code; 0 for 0. (Named
// for what it reads: an OS error code.)
int os_error_code(std::uint32_t os_error);

}  // namespace ketrav::services
