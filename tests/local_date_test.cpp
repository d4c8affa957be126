// Today's date on the local clock, as the C library sees it too.
#include "platform/local_date.h"

#include <gtest/gtest.h>

#include <ctime>

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
