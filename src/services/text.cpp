// The text primitives.
#include "services/text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "services/run_time_errors.h"

namespace ketrav::services {
namespace {

// `count` times `byte` into `text`, its memory reused. A count below 0 is a
// request that is never granted: error 7 and the empty text.
void fill_into(std::string& text, std::int32_t count, char byte) {
    text.clear();
    if (count < 0) return record_error(run_time_code::out_of_memory);
    try {
        text.assign(static_cast<std::size_t>(count), byte);
    } catch (const std::bad_alloc&) {
        record_memory_failure();
    }
}

std::string filled(std::int32_t count, char byte) {
    std::string text;
    fill_into(text, count, byte);
    return text;
}

// The first place at or after `from` where `pattern` begins, or npos. The
// scan goes left to right with memchr on one byte of the pattern that is
// not a space, so runs of spaces (log lines are full of them) pass at
// memchr's speed, and checks the whole pattern where it could begin: the
// first place found is the first match.
std::size_t first_match(const std::string& text, const std::string& pattern, std::size_t from) {
    std::size_t anchor = pattern.find_first_not_of(' ');
    if (anchor == std::string::npos) return text.find(pattern, from);
    if (pattern.size() > text.size() - from) return std::string::npos;
    const char* base = text.data();
    const char* scan = base + from + anchor;
    // One past the anchor of the last place a match may begin.
    const char* scan_end = base + (text.size() - pattern.size()) + anchor + 1;
    const char wanted = pattern[anchor];
    while (scan < scan_end) {
        const void* hit = std::memchr(scan, wanted, static_cast<std::size_t>(scan_end - scan));
        if (!hit) break;
        const char* begin = static_cast<const char*>(hit) - anchor;
        if (std::memcmp(begin, pattern.data(), pattern.size()) == 0) return static_cast<std::size_t>(begin - base);
        scan = static_cast<const char*>(hit) + 1;
    }
    return std::string::npos;
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
        record_memory_failure();
        return text;
    }
}

std::int32_t find(const std::string& text, const std::string& pattern, std::int32_t start) {
    if (start <= 0 || text.empty() || pattern.empty()) return 0;
    if (static_cast<std::size_t>(start) > text.size()) return 0;
    std::size_t at = first_match(text, pattern, static_cast<std::size_t>(start) - 1);
    // A match past the largest 32-bit position cannot be named: none.
    if (at == std::string::npos || at >= static_cast<std::size_t>(INT32_MAX)) return 0;
    return static_cast<std::int32_t>(at + 1);
}

std::string spaces(std::int32_t count) { return filled(count, ' '); }

void fill_spaces(std::string& text, std::int32_t count) { fill_into(text, count, ' '); }

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

std::string_view trimmed_prefix(const std::string& text, std::int32_t length) {
    std::string_view prefix(text.data(), length <= 0 ? 0 : std::min(text.size(), static_cast<std::size_t>(length)));
    std::size_t first = prefix.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return prefix.substr(first, prefix.find_last_not_of(' ') - first + 1);
}

void set_text(std::string& text, std::string_view value) {
    try {
        text.assign(value);
    } catch (const std::bad_alloc&) {
        text.clear();
        record_memory_failure();
    }
}

bool equal_text(const std::string& a, const std::string& b) { return a == b; }

}  // namespace ketrav::services
