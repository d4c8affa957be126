// Number pictures: the worked examples, rounding at the last digit, signs,
// widening, and the decimal expansion behind them.
#include "services/number_pictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace ketrav::services;

namespace {

std::string counts(double value) { return format_picture("###,###", value); }
std::string shares(double value) { return format_picture("###.#", value); }

TEST(NumberPictures, ParsesTheFields) {
    PictureField count = parse_picture("###,###").field;
    EXPECT_EQ(count.integer_positions, 7);
    EXPECT_EQ(count.fraction_positions, 0);
    EXPECT_EQ(count.width, 7);
    EXPECT_TRUE(count.grouping);
    EXPECT_FALSE(count.decimal_point);
    PictureField share = parse_picture("###.#").field;
    EXPECT_EQ(share.integer_positions, 3);
    EXPECT_EQ(share.fraction_positions, 1);
    EXPECT_EQ(share.width, 5);
    EXPECT_FALSE(share.grouping);
    EXPECT_TRUE(share.decimal_point);
    ParsedPicture framed = parse_picture("Total: .## and ###");
    EXPECT_TRUE(framed.found);
    EXPECT_EQ(framed.begin, 7u);
    EXPECT_EQ(framed.end, 10u);
    EXPECT_EQ(framed.field.fraction_positions, 2);
    EXPECT_EQ(parse_picture("#.#.#").field.width, 3);   // a second point ends the field
    EXPECT_EQ(parse_picture("##.#,#").field.width, 4);  // so does a comma after the point
    EXPECT_EQ(parse_picture("#,#,#").field.integer_positions, 5);
    EXPECT_FALSE(parse_picture("no field.").found);
}

TEST(NumberPictures, CountExamples) {
    EXPECT_EQ(counts(0), "      0");
    EXPECT_EQ(counts(1), "      1");
    EXPECT_EQ(counts(7), "      7");
    EXPECT_EQ(counts(999), "    999");
    EXPECT_EQ(counts(1000), "  1,000");
    EXPECT_EQ(counts(12345), " 12,345");
    EXPECT_EQ(counts(999999), "999,999");
    EXPECT_EQ(counts(1000000), "1,000,000");
    EXPECT_EQ(counts(1234567), "1,234,567");
    EXPECT_EQ(counts(12345678), "12,345,678");
    EXPECT_EQ(counts(2147483647), "2,147,483,647");
}

TEST(NumberPictures, ShareExamples) {
    EXPECT_EQ(shares(0), "  0.0");
    EXPECT_EQ(shares(0.1), "  0.1");
    EXPECT_EQ(shares(0.5), "  0.5");
    EXPECT_EQ(shares(5), "  5.0");
    EXPECT_EQ(shares(12.3), " 12.3");
    EXPECT_EQ(shares(33.3), " 33.3");
    EXPECT_EQ(shares(99.9), " 99.9");
    EXPECT_EQ(shares(100), "100.0");
    EXPECT_EQ(shares(999.9), "999.9");
    EXPECT_EQ(shares(1000), "1000.0");
    EXPECT_EQ(shares(12345.6), "12345.6");
    EXPECT_EQ(shares(std::numeric_limits<double>::quiet_NaN()), "  0.0");
    EXPECT_EQ(counts(std::numeric_limits<double>::quiet_NaN()), "      0");
}

TEST(NumberPictures, RoundingAtTheLastDigit) {
    EXPECT_EQ(shares(12.25), " 12.2");
    EXPECT_EQ(shares(12.75), " 12.8");
    EXPECT_EQ(shares(12.35), " 12.3");  // the double lies below the tie
    EXPECT_EQ(shares(0.05), "  0.1");   // the double lies above it
    EXPECT_EQ(shares(99.95), "100.0");
    EXPECT_EQ(shares(999.95), "1000.0");
    EXPECT_EQ(counts(2.5), "      2");
    EXPECT_EQ(counts(3.5), "      4");
    EXPECT_EQ(counts(0.5), "      1");
    EXPECT_EQ(counts(0.49), "      0");
    EXPECT_EQ(counts(0.05), "      0");
    EXPECT_EQ(counts(999999.5), "1,000,000");
    EXPECT_EQ(format_picture("#.##", 0.001), "0.00");
    EXPECT_EQ(format_picture("#.##", 0.005), "0.01");  // the double lies above 0.005
    EXPECT_EQ(format_picture("#.##", 1e-30), "0.00");
}

TEST(NumberPictures, SignsAndZeros) {
    EXPECT_EQ(counts(-5), "     -5");
    EXPECT_EQ(shares(-5), " -5.0");
    EXPECT_EQ(counts(-1234), " -1,234");
    EXPECT_EQ(counts(-123456), "-123,456");
    EXPECT_EQ(shares(-12.3), "-12.3");
    EXPECT_EQ(shares(-0.0), "  0.0");
    EXPECT_EQ(counts(-0.0), "      0");
    EXPECT_EQ(format_picture(".#", -0.5), "-.5");  // no integer position: the field grows
    EXPECT_EQ(format_picture(".#", 0.5), ".5");
    EXPECT_EQ(format_picture(".#", 5), "5.0");
}

TEST(NumberPictures, TextAroundTheFieldAndOddValues) {
    EXPECT_EQ(format_picture("[##]", 7), "[ 7]");
    EXPECT_EQ(format_picture("no field", 7), "no field");
    EXPECT_EQ(format_picture("#", 1e18), "1000000000000000000");
    EXPECT_EQ(format_picture("#,###", 1e21), "1,000,000,000,000,000,000,000");
    EXPECT_EQ(shares(std::numeric_limits<double>::infinity()), "  inf");
    EXPECT_EQ(shares(-std::numeric_limits<double>::infinity()), " -inf");
    // Past its 18 digits a value shows zeros: the double 0.1 is
    // 0.1000000000000000055511..., 18 digits rounded 100000000000000006.
    EXPECT_EQ(format_picture("#.####################", 0.1), "0.10000000000000000600");
}

TEST(NumberPictures, DecimalExpansion) {
    auto digits_of = [](double value) {
        DecimalExpansion e = decimal_expansion(extended_from_double(value));
        std::string text;
        for (auto d : e.digits) text += static_cast<char>('0' + d);
        return text + " E" + std::to_string(e.exponent) + (e.negative ? " -" : "");
    };
    EXPECT_EQ(digits_of(7), "7000000000000000000 E1");
    EXPECT_EQ(digits_of(1000), "1000000000000000000 E4");
    // The doubles' exact values: 0.1000000000000000055511...,
    // 0.0500000000000000027755..., 33.299999999999997157...,
    // 12.300000000000000710..., each cut to 18 digits, rounded to nearest.
    EXPECT_EQ(digits_of(0.1), "1000000000000000060 E0");
    EXPECT_EQ(digits_of(0.05), "5000000000000000280 E-1");
    EXPECT_EQ(digits_of(33.3), "3329999999999999720 E2");
    EXPECT_EQ(digits_of(12.3), "1230000000000000070 E2");
    EXPECT_EQ(digits_of(0), "0000000000000000000 E1");
    EXPECT_EQ(digits_of(-0.0), "0000000000000000000 E1");
    EXPECT_EQ(digits_of(std::nan("")), "0000000000000000000 E1");
    EXPECT_EQ(digits_of(-2147483647), "2147483647000000000 E10 -");
    EXPECT_EQ(digits_of(5e-324).substr(20), "E-323");
}

}  // namespace
