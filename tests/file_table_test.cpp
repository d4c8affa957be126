// The table of open files: entries by slot, the newest first, removal.
#include "services/file_table.h"

#include <gtest/gtest.h>

using namespace ketrav::services;

TEST(FileTable, EntriesBySlotNewestFirst) {
    EXPECT_EQ(find_open_file(7), nullptr);
    OpenFile* first = add_open_file(7);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->slot, 7);
    OpenFile* second = add_open_file(8);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(newest_open_file(), second);
    EXPECT_EQ(find_open_file(7), first);  // entries stay where they are
    EXPECT_TRUE(remove_open_file(second));
    EXPECT_FALSE(remove_open_file(second));
    EXPECT_EQ(newest_open_file(), first);
    EXPECT_TRUE(remove_open_file(first));
    EXPECT_EQ(newest_open_file(), nullptr);
    EXPECT_EQ(find_open_file(7), nullptr);
}
