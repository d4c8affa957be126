// The Windows wildcard rule for one name.
#include <gtest/gtest.h>

#include "platform/find_files.h"

using ketrav::platform::wildcard_match;

TEST(WildcardMatch, WindowsRule) {
    EXPECT_TRUE(wildcard_match("*.*", "KetRAV1.txt"));
    EXPECT_TRUE(wildcard_match("*.*", "noextension"));
    EXPECT_TRUE(wildcard_match("*", "a.b.c"));
    EXPECT_TRUE(wildcard_match("KetRAV?.txt", "KetRAV1.txt"));
    EXPECT_TRUE(wildcard_match("KetRAV?.txt", "ketrav2.TXT"));
    EXPECT_FALSE(wildcard_match("KetRAV?.txt", "KetRAV.txt"));
    EXPECT_FALSE(wildcard_match("KetRAV?.txt", "KetRAV12.txt"));
    EXPECT_TRUE(wildcard_match("x.*", "x"));
    EXPECT_FALSE(wildcard_match("*.log", "qtoss.txt"));
    EXPECT_TRUE(wildcard_match("a*b*c", "aXXbYYc"));
    EXPECT_FALSE(wildcard_match("a*b*c", "aXXbYY"));
}
