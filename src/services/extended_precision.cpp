// Extended precision in integer arithmetic only (no 128-bit type, so 32-bit
// ARM builds it too).
#include "services/extended_precision.h"

#include <cmath>
#include <limits>

namespace ketrav::services {
namespace {

using Kind = Extended::Kind;

int leading_zeros(std::uint64_t x) {
    int n = 0;
    while (!(x & (std::uint64_t{1} << 63))) {
        x <<= 1;
        ++n;
    }
    return n;
}

// The full 128-bit product of two 64-bit numbers.
void multiply_wide(std::uint64_t a, std::uint64_t b, std::uint64_t& high, std::uint64_t& low) {
    std::uint64_t a_lo = a & 0xFFFFFFFFu, a_hi = a >> 32, b_lo = b & 0xFFFFFFFFu, b_hi = b >> 32;
    std::uint64_t lo_lo = a_lo * b_lo, hi_lo = a_hi * b_lo, lo_hi = a_lo * b_hi, hi_hi = a_hi * b_hi;
    std::uint64_t middle = (lo_lo >> 32) + (hi_lo & 0xFFFFFFFFu) + lo_hi;
    low = (middle << 32) | (lo_lo & 0xFFFFFFFFu);
    high = hi_hi + (hi_lo >> 32) + (middle >> 32);
}

Extended finite(bool negative, std::uint64_t significand, std::int32_t exponent) {
    Extended value;
    value.kind = Kind::finite;
    value.negative = negative;
    value.significand = significand;
    value.exponent = exponent;
    return value;
}

Extended special(Kind kind, bool negative) {
    Extended value;
    value.kind = kind;
    value.negative = negative;
    return value;
}

// Rounds a normalized significand followed by a guard bit and a sticky flag
// to nearest, ties to even.
Extended rounded(bool negative, std::uint64_t significand, std::int32_t exponent, bool guard, bool sticky) {
    if (guard && (sticky || (significand & 1))) {
        ++significand;
        if (significand == 0) {
            significand = std::uint64_t{1} << 63;
            ++exponent;
        }
    }
    return finite(negative, significand, exponent);
}

}  // namespace

Extended extended_from_double(double value) {
    if (std::isnan(value)) return special(Kind::not_a_number, false);
    if (std::isinf(value)) return special(Kind::infinite, value < 0);
    if (value == 0) return special(Kind::zero, std::signbit(value));
    int binary_exponent = 0;
    double fraction = std::frexp(std::fabs(value), &binary_exponent);  // in [0.5, 1)
    auto significand = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    return finite(value < 0, significand, binary_exponent - 1);
}

Extended extended_from_unsigned(std::uint64_t value) {
    if (value == 0) return special(Kind::zero, false);
    int shift = leading_zeros(value);
    return finite(false, value << shift, 63 - shift);
}

Extended extended_from_integer(std::int64_t value) {
    std::uint64_t magnitude =
        value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    Extended result = extended_from_unsigned(magnitude);
    result.negative = value < 0;
    return result;
}

double to_double(const Extended& value) {
    switch (value.kind) {
        case Kind::not_a_number: return std::numeric_limits<double>::quiet_NaN();
        case Kind::infinite:
            return value.negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
        case Kind::zero: return value.negative ? -0.0 : 0.0;
        case Kind::finite: break;
    }
    // Keep 53 bits, fewer below the normal range; round the rest away.
    int dropped = 11;
    if (value.exponent < -1022) dropped += -1022 - value.exponent;
    std::uint64_t kept = 0;
    bool guard = false, sticky = false;
    if (dropped >= 64) {
        guard = dropped == 64 && (value.significand >> 63);
        sticky = dropped > 64 || (value.significand << 1) != 0;
    } else {
        kept = value.significand >> dropped;
        guard = (value.significand >> (dropped - 1)) & 1;
        sticky = (value.significand & ((std::uint64_t{1} << (dropped - 1)) - 1)) != 0;
    }
    if (guard && (sticky || (kept & 1))) ++kept;
    double magnitude = std::ldexp(static_cast<double>(kept), value.exponent - 63 + dropped);
    return value.negative ? -magnitude : magnitude;
}

std::uint64_t to_unsigned(const Extended& value) {
    if (value.kind != Kind::finite || value.exponent < 0) return 0;
    if (value.exponent >= 64) return std::numeric_limits<std::uint64_t>::max();
    return value.significand >> (63 - value.exponent);
}

Extended multiply(const Extended& a, const Extended& b) {
    bool negative = a.negative != b.negative;
    if (a.kind == Kind::not_a_number || b.kind == Kind::not_a_number) return special(Kind::not_a_number, false);
    if (a.kind == Kind::infinite || b.kind == Kind::infinite) {
        if (a.kind == Kind::zero || b.kind == Kind::zero) return special(Kind::not_a_number, false);
        return special(Kind::infinite, negative);
    }
    if (a.kind == Kind::zero || b.kind == Kind::zero) return special(Kind::zero, negative);
    std::uint64_t high = 0, low = 0;
    multiply_wide(a.significand, b.significand, high, low);
    std::int32_t exponent = a.exponent + b.exponent;
    if (high >> 63) {
        ++exponent;
    } else {
        high = (high << 1) | (low >> 63);
        low <<= 1;
    }
    return rounded(negative, high, exponent, (low >> 63) != 0, (low << 1) != 0);
}

Extended divide(const Extended& a, const Extended& b) {
    bool negative = a.negative != b.negative;
    if (a.kind == Kind::not_a_number || b.kind == Kind::not_a_number) return special(Kind::not_a_number, false);
    if (a.kind == Kind::infinite) {
        return b.kind == Kind::infinite ? special(Kind::not_a_number, false) : special(Kind::infinite, negative);
    }
    if (b.kind == Kind::infinite) return special(Kind::zero, negative);
    if (b.kind == Kind::zero) {
        return a.kind == Kind::zero ? special(Kind::not_a_number, false) : special(Kind::infinite, negative);
    }
    if (a.kind == Kind::zero) return special(Kind::zero, negative);

    // Long division, one quotient bit at a time: 64 significand bits and a
    // guard bit, the remainder telling whether anything lies beyond.
    std::uint64_t remainder = a.significand, divisor = b.significand;
    std::int32_t exponent = a.exponent - b.exponent;
    bool carry = false;  // bit 64 of the remainder
    if (remainder < divisor) {
        carry = remainder >> 63;
        remainder <<= 1;
        --exponent;
    }
    std::uint64_t quotient = 0;
    bool guard = false;
    for (int bit = 0; bit < 65; ++bit) {
        bool one = carry || remainder >= divisor;
        if (one) remainder -= divisor;
        if (bit < 64)
            quotient = (quotient << 1) | (one ? 1u : 0u);
        else
            guard = one;
        carry = remainder >> 63;
        remainder <<= 1;
    }
    return rounded(negative, quotient, exponent, guard, carry || remainder != 0);
}

Extended round_to_integral(const Extended& value, Rounding rounding) {
    if (value.kind != Kind::finite || value.exponent >= 63) return value;
    bool up = false;
    std::uint64_t integral = 0;
    if (value.exponent < 0) {
        // Below 1 in magnitude.
        bool above_half = value.exponent == -1 && value.significand > (std::uint64_t{1} << 63);
        up = rounding == Rounding::nearest_even ? above_half : value.negative;
    } else {
        int fraction_bits = 63 - value.exponent;
        integral = value.significand >> fraction_bits;
        std::uint64_t fraction = value.significand & ((std::uint64_t{1} << fraction_bits) - 1);
        std::uint64_t half = std::uint64_t{1} << (fraction_bits - 1);
        if (rounding == Rounding::nearest_even)
            up = fraction > half || (fraction == half && (integral & 1));
        else
            up = value.negative && fraction != 0;
    }
    if (up) ++integral;
    Extended result = extended_from_unsigned(integral);
    result.negative = value.negative;  // -0.3 rounds to -0, as it does in hardware
    return result;
}

Extended power_of_ten(std::int32_t power) {
    if (power < 0) return divide(extended_from_integer(1), power_of_ten(-power));
    std::int32_t exact = power > 27 ? 27 : power;
    std::uint64_t five_power = 1;
    for (std::int32_t i = 0; i < exact; ++i) five_power *= 5;
    Extended result = extended_from_unsigned(five_power);
    result.exponent += exact;
    for (std::int32_t i = exact; i < power; ++i) result = multiply(result, extended_from_integer(10));
    return result;
}

Extended floor_value(const Extended& x) { return round_to_integral(x, Rounding::toward_minus_infinity); }

int compare(const Extended& a, const Extended& b) {
    if (a.kind == Kind::not_a_number || b.kind == Kind::not_a_number) return 0;
    auto sign_of = [](const Extended& v) { return v.kind == Kind::zero ? 0 : (v.negative ? -1 : 1); };
    int sa = sign_of(a), sb = sign_of(b);
    if (sa != sb) return sa < sb ? -1 : 1;
    if (sa == 0) return 0;
    int magnitude = 0;
    if (a.kind == Kind::infinite || b.kind == Kind::infinite)
        magnitude = (a.kind == Kind::infinite) - (b.kind == Kind::infinite);
    else if (a.exponent != b.exponent)
        magnitude = a.exponent < b.exponent ? -1 : 1;
    else if (a.significand != b.significand)
        magnitude = a.significand < b.significand ? -1 : 1;
    return sa < 0 ? -magnitude : magnitude;
}

}  // namespace ketrav::services
