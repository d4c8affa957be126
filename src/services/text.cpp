// The text primitives.
#include "services/text.h"

#include <cstdint>
#include <new>

#include "services/run_time_errors.h"

namespace ketrav::services {
namespace {

std::string filled(std::int32_t count, char byte) {
    if (count < 0) {
        record_error(run_time_code::out_of_memory);  // a request that is never granted
        return {};
    }
    try {
        return std::string(static_cast<std::size_t>(count), byte);
    } catch (const std::bad_alloc&) {
        record_error(run_time_code::out_of_memory);
        return {};
    }
}

}  // namespace

std::int32_t count_of(std::size_t size) {
    return size > static_cast<std::size_t>(INT32_MAX) ? INT32_MAX : static_cast<std::int32_t>(size);
}

std::int32_t text_length(const std::string& text) { return count_of(text.size()); }

std::string substring(const std::string& text, std::int32_t start, std::int32_t length) {
    if (start <= 0 || length <= 0 || static_cast<std::size_t>(start) > text.size()) return {};
    try {
        return text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        record_error(run_time_code::out_of_memory);
        return text;
    }
}

std::int32_t find(const std::string& text, const std::string& pattern, std::int32_t start) {
    if (start <= 0 || text.empty() || pattern.empty()) return 0;
    if (static_cast<std::size_t>(start) > text.size()) return 0;
    std::size_t at = text.find(pattern, static_cast<std::size_t>(start) - 1);
    // A match past the largest 32-bit position cannot be named: none.
    if (at == std::string::npos || at >= static_cast<std::size_t>(INT32_MAX)) return 0;
    return static_cast<std::int32_t>(at + 1);
}

std::string spaces(std::int32_t count) { return filled(count, ' '); }

std::string repeat_char(std::int32_t count, const std::string& pattern) {
    return filled(count, pattern.empty() ? '\0' : pattern[0]);
}

std::string trim_leading_spaces(std::string text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    if (first > 0) text.erase(0, first);
    return text;
}

std::string trim_trailing_spaces(std::string text) {
    std::size_t last = text.find_last_not_of(' ');
    if (last == std::string::npos) return {};
    text.erase(last + 1);
    return text;
}

std::string trim_spaces(std::string text) { return trim_trailing_spaces(trim_leading_spaces(std::move(text))); }

bool equal_text(const std::string& a, const std::string& b) { return a == b; }

}  // namespace ketrav::services
