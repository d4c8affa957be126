// The extended-precision helper: floor_value, the share rule, and a
// differential check against the x87 unit where `long double` is its format.
#include "services/extended_precision.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "platform/floating_point.h"
#include "report/area_share.h"
#include "services/number_pictures.h"

using namespace ketrav::services;
using ketrav::report::area_share;

namespace {

double floor_of(double x) { return to_double(floor_value(extended_from_double(x))); }

TEST(ExtendedPrecision, FloorValue) {
    EXPECT_EQ(floor_of(333.33), 333);
    EXPECT_EQ(floor_of(7.999999), 7);
    EXPECT_EQ(floor_of(8), 8);
    EXPECT_EQ(floor_of(-0.5), -1);
    EXPECT_EQ(floor_of(0.3), 0);
    EXPECT_EQ(floor_of(-7.25), -8);
    EXPECT_EQ(floor_of(1e300), 1e300);
    EXPECT_TRUE(std::isnan(floor_of(std::nan(""))));
    EXPECT_EQ(floor_of(-std::numeric_limits<double>::infinity()), -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::signbit(floor_of(-0.0)));
    // Rounding is to nearest again afterwards: 1/3 rounds down, 2/3 up.
    Extended third = divide(extended_from_integer(2), extended_from_integer(3));
    EXPECT_EQ(third.significand, 0xAAAAAAAAAAAAAAABull);
}

TEST(ExtendedPrecision, ArithmeticRoundsToNearestEven) {
    // 2^64 + 1 needs 65 bits: ties to the even significand, 2^64.
    Extended big = multiply(extended_from_unsigned(0x8000000000000001ull), extended_from_integer(2));
    EXPECT_EQ(big.significand, 0x8000000000000001ull);
    Extended odd = divide(extended_from_unsigned(0xFFFFFFFFFFFFFFFFull), extended_from_integer(2));
    EXPECT_EQ(odd.significand, 0xFFFFFFFFFFFFFFFFull);
    EXPECT_EQ(odd.exponent, 62);
    Extended tie = multiply(extended_from_unsigned(0xFFFFFFFFFFFFFFFFull), extended_from_unsigned(3));
    EXPECT_EQ(compare(tie, extended_from_unsigned(0xFFFFFFFFFFFFFFFFull)), 1);
    EXPECT_EQ(to_double(divide(extended_from_integer(1), extended_from_integer(0))),
              std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(to_double(divide(extended_from_integer(0), extended_from_integer(0)))));
    EXPECT_EQ(to_double(extended_from_double(5e-324)), 5e-324);
    EXPECT_EQ(to_double(extended_from_double(-1.5)), -1.5);
}

// Every pair of special values, signs and ends of the range gives what the
// double unit gives: NaN, infinities and signed zeros by IEEE's rules,
// overflow to infinity and underflow to zero or the smallest subnormal
// (ties to even). The products and quotients here are exact in 64 bits, so
// rounding to extended precision first changes nothing.
TEST(ExtendedPrecision, SpecialValuesAsTheDoubleUnitGivesThem) {
    const double infinity = std::numeric_limits<double>::infinity();
    const double values[] = {std::nan(""), infinity, -infinity, 0.0,  -0.0,    1.5,    -3.0,
                             0.75,         1e300,    -1e-300,   5e-324, 0x1p-1000, 0x1p1000};
    auto same = [](double a, double b) {
        return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
    };
    for (double a : values) {
        for (double b : values) {
            Extended x = extended_from_double(a), y = extended_from_double(b);
            volatile double product = a * b, quotient = a / b;
            EXPECT_TRUE(same(to_double(multiply(x, y)), product)) << a << " * " << b;
            EXPECT_TRUE(same(to_double(divide(x, y)), quotient)) << a << " / " << b;
            EXPECT_EQ(compare(x, y), a < b ? -1 : (a > b ? 1 : 0)) << a << " <=> " << b;
        }
    }
}

// The x87 unit does what the helper does, where the build has one.
constexpr bool has_x87_long_double = std::numeric_limits<long double>::digits == 64;

class X87Rounding : public ::testing::Test {
   protected:
    void SetUp() override {
        if (!has_x87_long_double) GTEST_SKIP() << "long double is not the x87 format here";
        ketrav::platform::set_floating_point_control(ketrav::platform::x87_run_control_word);
    }
};

double x87_share(std::int32_t count, std::int32_t total) {
    volatile long double quotient = static_cast<long double>(count) / static_cast<long double>(total);
    volatile long double per_mille = quotient * 1000.0L;
    volatile long double tenths = std::floor(static_cast<long double>(per_mille));
    return static_cast<double>(tenths / 10.0L);
}

TEST_F(X87Rounding, SharesAgreeWithTheX87Unit) {
    std::mt19937_64 random(20261207);
    for (int i = 0; i < 20000; ++i) {
        auto total = static_cast<std::int32_t>(1 + random() % (i % 2 ? 2000u : 2147483647u));
        auto count = static_cast<std::int32_t>(1 + random() % static_cast<std::uint64_t>(total));
        ASSERT_EQ(area_share(count, total), x87_share(count, total)) << count << " of " << total;
    }
}

TEST_F(X87Rounding, ArithmeticAgreesWithTheX87Unit) {
    std::mt19937_64 random(7);
    auto random_double = [&] {
        for (;;) {
            std::uint64_t bits = random();
            double value;
            std::memcpy(&value, &bits, sizeof value);
            if (std::isfinite(value) && std::fabs(value) > 1e-300 && std::fabs(value) < 1e300) return value;
        }
    };
    for (int i = 0; i < 20000; ++i) {
        double a = random_double(), b = random_double();
        Extended ea = extended_from_double(a), eb = extended_from_double(b);
        long double la = a, lb = b;
        volatile long double product = la * lb, quotient = la / lb;
        ASSERT_EQ(to_double(multiply(ea, eb)), static_cast<double>(product)) << a << " * " << b;
        ASSERT_EQ(to_double(divide(ea, eb)), static_cast<double>(quotient)) << a << " / " << b;
        long double scaled = la * 1e17L;
        volatile long double integral = std::nearbyint(scaled);
        Extended mine = round_to_integral(multiply(ea, power_of_ten(17)), Rounding::nearest_even);
        ASSERT_EQ(to_double(mine), static_cast<double>(integral)) << a;
        ASSERT_EQ(to_double(floor_value(multiply(ea, eb))), static_cast<double>(std::floor(la * lb)));
    }
}

// The digits of a value as the x87 unit would make them: scaled by 10^p,
// made integral, and cut by a tenth when they reach 10^18.
std::string x87_digits(double value) {
    int binary_exponent = 0;
    std::frexp(value, &binary_exponent);
    std::int64_t e = binary_exponent - 1;
    std::int64_t scaled = e * 19728;
    int p = static_cast<int>(17 - (scaled >= 0 ? scaled / 65536 : -((-scaled + 65535) / 65536)));
    long double power = 1;
    for (int i = 0; i < p; ++i) power *= 10;  // exact up to 10^27
    volatile long double product = static_cast<long double>(value) * power;
    long double integral = std::nearbyint(static_cast<long double>(product));
    if (integral >= 1e18L) {
        volatile long double tenth = integral / 10;
        integral = std::nearbyint(static_cast<long double>(tenth));
    }
    return std::to_string(static_cast<unsigned long long>(integral)) + "0";
}

TEST_F(X87Rounding, ExpansionAgreesWithTheX87Unit) {
    std::mt19937_64 random(11);
    for (int i = 0; i < 20000; ++i) {
        // Counts, tenths as the share makes them, and arbitrary doubles.
        double value = i % 3 == 0 ? static_cast<double>(1 + random() % 2147483647u)
                       : i % 3 == 1
                           ? to_double(divide(extended_from_integer(static_cast<std::int64_t>(random() % 10000)),
                                              extended_from_integer(10)))
                           : std::ldexp(static_cast<double>(random() >> 11), -static_cast<int>(random() % 80));
        if (value < 1e-8) continue;
        DecimalExpansion mine = decimal_expansion(extended_from_double(value));
        std::string digits;
        for (auto d : mine.digits) digits += static_cast<char>('0' + d);
        ASSERT_EQ(digits, x87_digits(value)) << value;
    }
}

}  // namespace
