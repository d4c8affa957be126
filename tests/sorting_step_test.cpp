// The sorting step: the records of one area come out adjacent.
#include "report/sorting_step.h"

#include <gtest/gtest.h>

#include "test_support.h"

using ketrav::testing::read_bytes;
using ketrav::testing::write_bytes;

namespace {

TEST(SortingStep, MakesAreasAdjacent) {
    ketrav::testing::ScratchDirectory scratch;
    write_bytes("KetRAV1.txt", "B 1\r\nA 1\r\nB 2\r\nC 1\r\nA 2\r\nB 3\r\n");
    ketrav::report::sort_area_records();
    EXPECT_EQ(read_bytes("KetRAV2.txt"), "A 1\r\nA 2\r\nB 1\r\nB 2\r\nB 3\r\nC 1\r\n");
    write_bytes("KetRAV1.txt", "");
    ketrav::report::sort_area_records();
    EXPECT_TRUE(ketrav::testing::exists("KetRAV2.txt"));
    EXPECT_EQ(read_bytes("KetRAV2.txt"), "");
}

}  // namespace
