// The text primitives.
#include "services/text.h"

#include <gtest/gtest.h>

#include <random>

#include "services/run_time_errors.h"

using namespace ketrav::services;

// Lines of 2 GiB or more: their counts stay at the largest 32-bit count, so
// that the fill and centring sums (37 - length, 80 - length) cannot overflow.
TEST(Text, CountsSaturateAtTheLargest32BitCount) {
    EXPECT_EQ(count_of(0), 0);
    EXPECT_EQ(count_of(37), 37);
    EXPECT_EQ(count_of(2147483647u), 2147483647);
    EXPECT_EQ(count_of(std::size_t{1} << 31), 2147483647);
    EXPECT_EQ(count_of(static_cast<std::size_t>(-1)), 2147483647);
    // A fill for the longest tag is negative, never wrapped round.
    EXPECT_LT(37 - count_of(static_cast<std::size_t>(-1) / 2 + 2), 0);
}

TEST(Text, SubstringAndLength) {
    const std::string t = "abcdef";
    EXPECT_EQ(text_length(t), 6);
    EXPECT_EQ(text_length(""), 0);
    EXPECT_EQ(substring(t, 3, 2), "cd");
    EXPECT_EQ(substring(t, 5, to_the_end), "ef");
    EXPECT_EQ(substring(t, 7, 1), "");
    EXPECT_EQ(substring(t, 0, 3), "");
    EXPECT_EQ(substring(t, 2, 0), "");
    EXPECT_EQ(substring(t, 1, to_the_end), t);
    EXPECT_EQ(substring(t, 6, 1), "f");
    EXPECT_EQ(substring("ab", 3, 15), "");  // the time stamp of a two-byte line
    EXPECT_EQ(substring("", 1, 5), "");
    EXPECT_EQ(substring(t, -3, 2), "");
    EXPECT_EQ(substring(t, 2, -1), "");
}

TEST(Text, Find) {
    EXPECT_EQ(find("xx  Import #12", "  Import #", 1), 3);
    EXPECT_EQ(find("", "  Import #", 1), 0);
    EXPECT_EQ(find("xx  import #12", "  Import #", 1), 0);
    EXPECT_EQ(find("xx Import #12", "  Import #", 1), 0);
    EXPECT_EQ(find("aXa", "a", 2), 3);
    EXPECT_EQ(find("abc", "c", 4), 0);
    EXPECT_EQ(find("abc", "abcd", 1), 0);
    EXPECT_EQ(find("abc", "a", 0), 0);
    EXPECT_EQ(find("abc", "c", 3), 3);
    EXPECT_EQ(find("a to b to c", " to ", 1), 2);
    EXPECT_EQ(find("a to b to c", " to ", 3), 7);
    EXPECT_EQ(find("abc", "", 1), 0);
}

// The searcher skips along one byte of the pattern: it must still find the
// first match wherever it lies, for patterns with and without spaces.
TEST(Text, FindGivesTheFirstMatchAsAPlainSearchDoes) {
    const std::string alphabet = "  tI #o";
    const std::string patterns[] = {" to ", "  Import #", "  ", " ", "t", "o t", "tt", "  I"};
    std::mt19937 random(42);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        std::size_t length = random() % 24;
        for (std::size_t i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
        if (round % 5 == 0) text += "  Import #";
        const std::string& pattern = patterns[round % 8];
        for (std::int32_t start = 1; start <= static_cast<std::int32_t>(text.size()) + 1; ++start) {
            std::size_t plain = text.find(pattern, static_cast<std::size_t>(start) - 1);
            std::int32_t expected = plain == std::string::npos ? 0 : static_cast<std::int32_t>(plain) + 1;
            ASSERT_EQ(find(text, pattern, start), expected) << "'" << text << "' '" << pattern << "' " << start;
        }
    }
    EXPECT_EQ(find("aaaa to", " to ", 1), 0);
    EXPECT_EQ(find("x to  to ", " to ", 1), 2);
    EXPECT_EQ(find("  to", "to", 1), 3);
}

TEST(Text, FilledSpacesAndTrimmedPrefixesAsTheirPlainForms) {
    record_error(1);
    std::string padding = "old";
    for (std::int32_t count : {29, 0, 3, 37, 1}) {
        fill_spaces(padding, count);
        EXPECT_EQ(padding, spaces(count));
    }
    EXPECT_EQ(last_error(), 1);
    fill_spaces(padding, -2);
    EXPECT_EQ(padding, "");
    EXPECT_EQ(last_error(), run_time_code::out_of_memory);

    const std::string records[] = {"",
                                   "   ",
                                   "RU.ANIME                             261201",
                                   "  A ",
                                   std::string(36, ' ') + "X",
                                   std::string(40, 'L'),
                                   " a b ",
                                   "\t x"};
    for (const std::string& record : records)
        for (std::int32_t length : {36, 0, -1, 2, 100})
            EXPECT_EQ(trimmed_prefix(record, length), trim_spaces(substring(record, 1, length)))
                << "'" << record << "' " << length;

    std::string text = "before";
    set_text(text, "after");
    EXPECT_EQ(text, "after");
    set_text(text, std::string_view());
    EXPECT_EQ(text, "");
}

TEST(Text, SpacesAndRepeats) {
    record_error(1);
    EXPECT_EQ(spaces(0), "");
    EXPECT_EQ(spaces(3), "   ");
    EXPECT_EQ(repeat_char(3, "."), "...");
    EXPECT_EQ(repeat_char(2, "xy"), "xx");
    EXPECT_EQ(repeat_char(2, ""), std::string(2, '\0'));
    EXPECT_EQ(repeat_char(0, "_"), "");
    EXPECT_EQ(last_error(), 1);
    EXPECT_EQ(spaces(-1), "");
    EXPECT_EQ(last_error(), run_time_code::out_of_memory);
    record_error(1);
    EXPECT_EQ(repeat_char(-5, "."), "");
    EXPECT_EQ(last_error(), run_time_code::out_of_memory);
}

TEST(Text, Trims) {
    EXPECT_EQ(trim_spaces("  a b  "), "a b");
    EXPECT_EQ(trim_spaces("    "), "");
    EXPECT_EQ(trim_spaces(""), "");
    EXPECT_EQ(trim_spaces("\t  x"), "\t  x");
    EXPECT_EQ(trim_leading_spaces("  a "), "a ");
    EXPECT_EQ(trim_trailing_spaces("  a "), "  a");
    EXPECT_EQ(trim_trailing_spaces("a\r "), "a\r");
    EXPECT_EQ(trim_spaces(std::string(" \0 ", 3)), std::string("\0", 1));

    // Nothing to remove: the very same bytes come back, not a copy.
    std::string untouched(1000, 'k');
    const char* bytes = untouched.data();
    std::string back = trim_spaces(std::move(untouched));
    EXPECT_EQ(back.data(), bytes);
}

TEST(Text, EqualText) {
    EXPECT_TRUE(equal_text("A", "A"));
    EXPECT_FALSE(equal_text("A", "A "));
    EXPECT_FALSE(equal_text("a", "A"));
    EXPECT_TRUE(equal_text("", ""));
    EXPECT_FALSE(equal_text("x", ""));
    EXPECT_FALSE(equal_text(std::string("a\0b", 3), std::string("a\0c", 3)));
    EXPECT_TRUE(equal_text(std::string("a\0b", 3), std::string("a\0b", 3)));
}

TEST(Text, NulBytesAreOrdinary) {
    const std::string t("x\0y\0z", 5);
    EXPECT_EQ(text_length(t), 5);
    EXPECT_EQ(find(t, std::string("\0z", 2), 1), 4);
    EXPECT_EQ(substring(t, 2, 3), std::string("\0y\0", 3));
}
