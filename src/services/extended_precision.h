// Extended precision of our own: a 64-bit significand, every operation
// rounded to nearest with ties to even, the same on every compiler and CPU
// whatever `long double` is there.
#pragma once

#include <cstdint>

namespace ketrav::services {

struct Extended {
    enum class Kind : std::uint8_t { zero, finite, infinite, not_a_number };
    Kind kind = Kind::zero;
    bool negative = false;
    // Finite values: significand / 2^63 * 2^exponent, bit 63 of the
    // significand always set, so 2^exponent <= |value| < 2^(exponent+1).
    std::uint64_t significand = 0;
    std::int32_t exponent = 0;
};

enum class Rounding { nearest_even, toward_minus_infinity };

Extended extended_from_double(double value);
Extended extended_from_integer(std::int64_t value);
Extended extended_from_unsigned(std::uint64_t value);
// Rounded to the nearest double, ties to even.
double to_double(const Extended& value);
// The integral value |value| as an unsigned integer; the value must be
// integral, finite and below 2^64.
std::uint64_t to_unsigned(const Extended& value);

Extended multiply(const Extended& a, const Extended& b);
Extended divide(const Extended& a, const Extended& b);
Extended round_to_integral(const Extended& value, Rounding rounding);
// 10^power: exact while 5^power fits in 64 bits (power <= 27), each further
// factor rounded beyond.
Extended power_of_ten(std::int32_t power);

// The largest integral value not above x; NaN and infinities unchanged.
Extended floor_value(const Extended& x);

// -1, 0 or 1; NaN compares as equal to everything.
int compare(const Extended& a, const Extended& b);

}  // namespace ketrav::services
