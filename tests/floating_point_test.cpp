// The x87 control word: set where the CPU has the unit, nothing elsewhere.
#include "platform/floating_point.h"

#include <gtest/gtest.h>

#include <limits>

using namespace ketrav::platform;

TEST(FloatingPoint, ControlWordIsSetWhereThereIsAnX87) {
    std::uint16_t earlier = floating_point_control();
    set_floating_point_control(x87_run_control_word);
    if (std::numeric_limits<long double>::digits == 64 || earlier != 0) {
        // Only the bits the word defines count; bit 6 reads as set on some CPUs.
        EXPECT_EQ(floating_point_control() & 0x1F3F, x87_run_control_word & 0x1F3F);
        // 64-bit significand: 1 + 2^-63 is kept apart from 1.
        volatile long double one = 1.0L, tiny = 0x1p-63L;
        if (std::numeric_limits<long double>::digits == 64) {
            EXPECT_NE(one + tiny, one);
        }
        set_floating_point_control(earlier);
    } else {
        EXPECT_EQ(floating_point_control(), 0);
    }
}
