// Text primitives. A text is bytes with an explicit length (std::string);
// positions are 1-based; the only character class known is the space 0x20.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ketrav::services {

inline constexpr std::int32_t to_the_end = 2147483647;

// A size as a 32-bit count: sizes past the largest count (a line of 2 GiB or
// more) stay at it, so that no count turns negative and no sum on it
// overflows.
std::int32_t count_of(std::size_t size);

std::int32_t text_length(const std::string& text);

// Up to `length` bytes from position `start`; out-of-range values give a
// shorter or empty text and are no error.
std::string substring(const std::string& text, std::int32_t start, std::int32_t length);

// Position of the first occurrence of `pattern` at or after `start`, counted
// from the start of the text; 0 when there is none.
std::int32_t find(const std::string& text, const std::string& pattern, std::int32_t start);

// `count` spaces; a count below 0 records error 7 and gives the empty text.
std::string spaces(std::int32_t count);
// spaces(count) into `text`, reusing its memory, for a caller that pads
// every record; a count below 0 records error 7 and leaves `text` empty.
void fill_spaces(std::string& text, std::int32_t count);
// The first byte of `pattern` (0 when it is empty) `count` times; a count
// below 0 records error 7 and gives the empty text.
std::string repeat_char(std::int32_t count, const std::string& pattern);

// The trims take their text by value and hand the same text back when there
// is nothing to remove, so a moved-in text is never copied.
std::string trim_leading_spaces(std::string text);
std::string trim_trailing_spaces(std::string text);
std::string trim_spaces(std::string text);

// trim_spaces(substring(text, 1, length)) as a view into `text`, for a
// caller that only compares it: no copy is made.
std::string_view trimmed_prefix(const std::string& text, std::int32_t length);

// `text` becomes `value`; when memory runs out, error 7 and the empty text.
void set_text(std::string& text, std::string_view value);

bool equal_text(const std::string& a, const std::string& b);

}  // namespace ketrav::services
