// Parsing a picture, expanding a value into decimal digits, rounding at the
// picture's last digit, and laying the digits out.
#include "services/number_pictures.h"

#include <new>
#include <vector>

#include "services/run_time_errors.h"

namespace ketrav::services {
namespace {

constexpr std::uint64_t ten_to_17 = 100000000000000000ull;
constexpr std::uint64_t ten_to_18 = 1000000000000000000ull;

// floor(exponent * log10(2)), by the fixed-point factor 19728 / 65536.
std::int32_t decimal_order(std::int32_t binary_exponent) {
    std::int64_t scaled = static_cast<std::int64_t>(binary_exponent) * 19728;
    return static_cast<std::int32_t>(scaled >= 0 ? scaled / 65536 : -((-scaled + 65535) / 65536));
}

Extended scaled_by_ten_to(const Extended& magnitude, std::int32_t power) {
    if (power >= 0) return multiply(magnitude, power_of_ten(power));
    return divide(magnitude, power_of_ten(-power));
}

// The digits kept after rounding at the picture's last digit, and how many of
// them stand before the point.
struct RoundedDigits {
    std::vector<std::uint8_t> digits;
    std::int32_t integer_digits = 0;
};

RoundedDigits round_for_picture(const DecimalExpansion& expansion, std::int32_t fraction_positions) {
    std::array<std::uint8_t, 19> digits = expansion.digits;
    std::int32_t n = expansion.exponent > 0 ? expansion.exponent : 0;
    if (expansion.exponent < 0) {
        std::int32_t shift = -expansion.exponent > 18 ? 18 : -expansion.exponent;
        for (std::int32_t i = 18; i >= 0; --i) digits[i] = i >= shift ? digits[i - shift] : 0;
    }
    std::int32_t kept = n + fraction_positions;
    RoundedDigits result;
    result.integer_digits = n;
    auto digit_at = [&](std::int32_t i) -> std::uint8_t { return i < 19 ? digits[i] : 0; };
    if (kept == 0) {
        // Only the units digit could appear: 0.5 and above give 1.
        if (digit_at(0) >= 5) {
            result.digits.push_back(1);
            result.integer_digits = 1;
        }
        return result;
    }
    result.digits.reserve(static_cast<std::size_t>(kept) + 1);
    for (std::int32_t i = 0; i < kept; ++i) result.digits.push_back(digit_at(i));
    if (kept >= 19) return result;  // nothing dropped

    std::uint8_t first_dropped = digits[kept];
    bool later_non_zero = false;
    for (std::int32_t i = kept + 1; i < 19; ++i) later_non_zero = later_non_zero || digits[i] != 0;
    bool up = first_dropped > 5 || (first_dropped == 5 && (later_non_zero || (result.digits.back() & 1)));
    if (!up) return result;
    std::int32_t i = kept - 1;
    while (i >= 0 && result.digits[i] == 9) result.digits[i--] = 0;
    if (i >= 0) {
        ++result.digits[i];
    } else {
        result.digits.insert(result.digits.begin(), 1);
        ++result.integer_digits;
    }
    return result;
}

// The integer digits with a "," after every third from the right where more
// digits follow.
std::string grouped(const std::string& digits, bool grouping) {
    if (!grouping || digits.size() <= 3) return digits;
    std::string text;
    text.reserve(digits.size() + digits.size() / 3);
    std::size_t lead = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
    text.append(digits, 0, lead);
    for (std::size_t i = lead; i < digits.size(); i += 3) {
        text += ',';
        text.append(digits, i, 3);
    }
    return text;
}

std::string laid_out(const PictureField& field, const DecimalExpansion& expansion) {
    bool negative = expansion.negative;
    // The sign takes one integer position, or widens a field that has none.
    std::int32_t integer_room = field.integer_positions;
    if (negative && integer_room > 0) --integer_room;

    RoundedDigits rounded = round_for_picture(expansion, field.fraction_positions);
    std::int32_t n = rounded.integer_digits;
    bool has_integer_part = field.integer_positions > 0 || n > 0;

    std::string integer_digits;
    for (std::int32_t i = 0; i < n; ++i) integer_digits += static_cast<char>('0' + rounded.digits[i]);
    if (n == 0 && has_integer_part) integer_digits.push_back('0');
    std::string integer_text = grouped(integer_digits, field.grouping);

    std::string fraction;
    for (std::size_t i = static_cast<std::size_t>(n); i < rounded.digits.size(); ++i)
        fraction += static_cast<char>('0' + rounded.digits[i]);

    std::int32_t used = static_cast<std::int32_t>(integer_text.size());
    std::string text(used < integer_room ? static_cast<std::size_t>(integer_room - used) : 0, ' ');
    if (negative) text += '-';
    text += integer_text;
    if (field.decimal_point) text += '.';
    text += fraction;
    return text;
}

std::string laid_out_infinity(const PictureField& field, bool negative) {
    std::string word = negative ? "-inf" : "inf";
    return word.size() < field.width ? std::string(field.width - word.size(), ' ') + word : word;
}

}  // namespace

ParsedPicture parse_picture(const std::string& picture) {
    ParsedPicture parsed;
    std::size_t i = 0, size = picture.size();
    while (i < size && !(picture[i] == '#' || (picture[i] == '.' && i + 1 < size && picture[i + 1] == '#'))) ++i;
    if (i == size) {
        parsed.begin = parsed.end = size;
        return parsed;
    }
    parsed.found = true;
    parsed.begin = i;
    PictureField& field = parsed.field;
    for (; i < size; ++i) {
        char c = picture[i];
        if (c == '#') {
            if (field.decimal_point)
                ++field.fraction_positions;
            else
                ++field.integer_positions;
        } else if (c == ',' && !field.decimal_point) {
            ++field.integer_positions;
            field.grouping = true;
        } else if (c == '.' && !field.decimal_point) {
            field.decimal_point = true;
        } else {
            break;
        }
        ++field.width;
    }
    parsed.end = i;
    return parsed;
}

DecimalExpansion decimal_expansion(const Extended& value) {
    DecimalExpansion expansion;
    if (value.kind != Extended::Kind::finite) return expansion;  // zero and NaN: all zeros, E = 1
    Extended magnitude = value;
    magnitude.negative = false;

    std::int32_t power = 17 - decimal_order(magnitude.exponent);
    std::uint64_t integral = to_unsigned(round_to_integral(scaled_by_ten_to(magnitude, power), Rounding::nearest_even));
    // The factor's approximation of log10(2) can fall one decade short for
    // large negative exponents; one more decade brings the digits back to 18.
    if (integral < ten_to_17) {
        ++power;
        integral = to_unsigned(round_to_integral(scaled_by_ten_to(magnitude, power), Rounding::nearest_even));
    }
    if (integral >= ten_to_18) {
        Extended tenth = divide(extended_from_unsigned(integral), extended_from_integer(10));
        integral = to_unsigned(round_to_integral(tenth, Rounding::nearest_even));
        --power;
    }
    for (int i = 17; i >= 0; --i) {
        expansion.digits[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(integral % 10);
        integral /= 10;
    }
    expansion.exponent = static_cast<std::int16_t>(18 - power);
    expansion.negative = value.negative;
    return expansion;
}

std::string format_picture(const std::string& picture, const Extended& value) {
    try {
        ParsedPicture parsed = parse_picture(picture);
        if (!parsed.found) return picture;
        std::string field = value.kind == Extended::Kind::infinite ? laid_out_infinity(parsed.field, value.negative)
                                                                   : laid_out(parsed.field, decimal_expansion(value));
        return picture.substr(0, parsed.begin) + field + picture.substr(parsed.end);
    } catch (const std::bad_alloc&) {
        record_memory_failure();
        return {};
    }
}

std::string format_picture(const std::string& picture, double value) {
    return format_picture(picture, extended_from_double(value));
}

}  // namespace ketrav::services
