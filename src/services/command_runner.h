// Starting another program from a command line, waiting for it or not.
#pragma once

#include <cstdint>
#include <string>

namespace ketrav::services {

inline constexpr std::size_t longest_command_line = 256;
inline constexpr std::uint16_t show_normal = 1;

// Starts `command_line` (at most its first 256 characters) as a new process
// in the current directory with this environment. With `wait`, returns its
// exit code once it has ended; without, its process id at once. 0 and a
// recorded error code when it cannot start.
std::int32_t run_command(const std::string& command_line, std::uint16_t window_style, bool wait, bool inherit_handles);

// Runs `command_line` as run_command does with `wait`, and tells whether it
// ran to its end with exit code 0: false when it could not start, could not
// be waited for, or ended with any other code.
bool run_command_successfully(const std::string& command_line, std::uint16_t window_style);

}  // namespace ketrav::services
