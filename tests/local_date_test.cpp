// Today's date on the local clock, as the C library sees it too.
#include "platform/local_date.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>

#ifndef _WIN32
#include "platform/posix/calendar.h"
#endif

TEST(LocalDate, AgreesWithTheCLibrary) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::time_t now = std::time(nullptr);
        std::tm parts = *std::localtime(&now);
        ketrav::platform::LocalDate date = ketrav::platform::local_date();
        // Past midnight between the two readings: try once more.
        if (date.day != parts.tm_mday && attempt == 0) continue;
        EXPECT_EQ(date.year, parts.tm_year + 1900);
        EXPECT_EQ(date.month, parts.tm_mon + 1);
        EXPECT_EQ(date.day, parts.tm_mday);
        break;
    }
}

#ifndef _WIN32
// The date stays right past 2038, on the 32-bit builds too: mid-month, so
// that any time zone gives the same month.
TEST(LocalDate, PastTheYear2038) {
    struct Case {
        std::int64_t seconds;
        int year;
        int month;
    };
    for (Case c : {Case{2147483647LL + 86400 * 20, 2038, 2}, Case{2236032000LL, 2040, 11},
                   Case{4102444800LL + 86400 * 14, 2100, 1}}) {
        ketrav::platform::LocalDate date = ketrav::platform::posix::local_date_of(c.seconds);
        EXPECT_EQ(date.year, c.year) << c.seconds;
        EXPECT_EQ(date.month, c.month) << c.seconds;
    }
    // A moment whose year no int holds gives no date, not a wrapped one.
    ketrav::platform::LocalDate beyond = ketrav::platform::posix::local_date_of(INT64_MAX);
    EXPECT_EQ(beyond.year, 0);
    EXPECT_EQ(beyond.day, 0);
}
#endif
