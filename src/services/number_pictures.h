// Numbers rendered against a picture: "#" a digit position, "," thousands
// grouping, "." the decimal point. A number that needs more room widens the
// result; nothing is ever cut or marked.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "services/extended_precision.h"

namespace ketrav::services {

struct PictureField {
    std::uint16_t integer_positions = 0;  // one per "#" before the point, and one per ","
    std::uint16_t fraction_positions = 0;
    std::uint16_t width = 0;  // every "#", "," and "."
    bool grouping = false;
    bool decimal_point = false;
};

// value = 0.d1d2...d19 * 10^exponent, d1..d18 the first 18 significant
// digits rounded to nearest, d19 always 0.
struct DecimalExpansion {
    std::array<std::uint8_t, 19> digits{};
    std::int16_t exponent = 1;
    bool negative = false;
};

// Where the field stands in the picture, and what it holds. `found` is false
// when the picture has no field at all.
struct ParsedPicture {
    PictureField field;
    bool found = false;
    std::size_t begin = 0;
    std::size_t end = 0;
};

ParsedPicture parse_picture(const std::string& picture);
DecimalExpansion decimal_expansion(const Extended& value);

// The value laid out in the picture's field. Text before and after the field
// is kept as it stands; a picture without a field comes back unchanged.
// NaN and zero of either sign show as zero without a sign; an infinity as
// "inf" or "-inf", right-aligned in the field.
std::string format_picture(const std::string& picture, const Extended& value);
std::string format_picture(const std::string& picture, double value);

}  // namespace ketrav::services
