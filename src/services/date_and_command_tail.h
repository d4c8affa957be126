// The report header's date stamp, and the command tail that is its title.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ketrav::services {

struct CalendarDate {
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
};

// MM-DD-YYYY from today's local date, whatever the locale.
std::string date_stamp();
std::string date_stamp_of(const CalendarDate& date);

// Remembers the process's command line and where its tail begins; called
// once at start-up. Returns the position (0-based) of the tail.
std::size_t locate_command_tail(const std::string& command_line);

// n = 0: the whole tail, unchanged. n >= 1: the n-th parameter of the tail
// (runs of spaces separate parameters; a parameter that begins with a double
// quote runs to the next one and comes without the quotes); empty when the
// tail has fewer.
std::string command_tail(std::int32_t n = 0);

}  // namespace ketrav::services
