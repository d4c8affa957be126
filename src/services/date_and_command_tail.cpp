// The date stamp and the command tail.
#include "services/date_and_command_tail.h"

#include <new>

#include "platform/local_date.h"
#include "services/run_time_errors.h"

namespace ketrav::services {
namespace {

std::string remembered_line;
std::size_t tail_position = 0;

void put_two_digits(std::string& text, int value) {
    text += static_cast<char>('0' + (value / 10) % 10);
    text += static_cast<char>('0' + value % 10);
}

// The position where the tail begins; only the byte 0x20 counts as a space.
std::size_t find_tail(const std::string& line) {
    std::size_t n = line.size(), i = 0;
    if (n == 0) return 0;
    if (line[0] == '"') {
        std::size_t closing = line.find('"', 1);
        // A quote that is never closed leaves no tail.
        if (closing == std::string::npos) return n;
        i = closing + 1;
        while (i < n && line[i] == ' ') ++i;
        return i;
    }
    if (line[0] == ' ') {
        while (i < n && line[i] == ' ') ++i;
        return i;
    }
    i = 1;
    while (i<n&& static_cast<unsigned char>(line[i])> 32) ++i;
    if (i < n && line[i] == ' ') {
        while (i < n && line[i] == ' ') ++i;
    }
    return i;
}

std::string nth_parameter(const std::string& tail, std::int32_t n) {
    std::size_t i = 0, size = tail.size();
    std::int32_t seen = 0;
    while (i < size) {
        while (i < size && tail[i] == ' ') ++i;
        if (i >= size) break;
        std::size_t begin = i, end = i;
        if (tail[i] == '"') {
            begin = i + 1;
            std::size_t closing = tail.find('"', begin);
            end = closing == std::string::npos ? size : closing;
            i = closing == std::string::npos ? size : closing + 1;
            if (end == begin) continue;  // "" is no parameter
        } else {
            while (i < size && tail[i] != ' ') ++i;
            end = i;
        }
        if (++seen == n) return tail.substr(begin, end - begin);
    }
    return {};
}

}  // namespace

std::string date_stamp_of(const CalendarDate& date) {
    std::string text;
    try {
        text.reserve(10);
    } catch (const std::bad_alloc&) {
        return {};
    }
    put_two_digits(text, date.month);
    text += '-';
    put_two_digits(text, date.day);
    text += '-';
    put_two_digits(text, date.year / 100);
    put_two_digits(text, date.year % 100);
    return text;
}

std::string date_stamp() {
    platform::LocalDate today = platform::local_date();
    return date_stamp_of(CalendarDate{today.year, today.month, today.day});
}

std::size_t locate_command_tail(const std::string& command_line) {
    try {
        remembered_line = command_line;
    } catch (const std::bad_alloc&) {
        remembered_line.clear();
    }
    tail_position = find_tail(remembered_line);
    return tail_position;
}

std::string command_tail(std::int32_t n) {
    try {
        std::string tail = remembered_line.substr(tail_position);
        if (n == 0) return tail;
        if (n < 0) return {};
        return nth_parameter(tail, n);
    } catch (const std::bad_alloc&) {
        record_memory_failure();
        return {};
    }
}

}  // namespace ketrav::services
