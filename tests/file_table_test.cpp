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

TEST(FileTable, LowAndHighSlotsAreFoundAndForgottenAlike) {
    const Slot slots[] = {0, 1, 63, 64, 200, 32767};
    OpenFile* entries[6] = {};
    for (int i = 0; i < 6; ++i) entries[i] = add_open_file(slots[i]);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(find_open_file(slots[i]), entries[i]) << slots[i];
    EXPECT_EQ(find_open_file(2), nullptr);
    EXPECT_EQ(find_open_file(-1), nullptr);
    // Removed in an order other than added: each slot is free at once.
    for (int i : {2, 0, 5, 3, 1, 4}) {
        EXPECT_TRUE(remove_open_file(entries[i]));
        EXPECT_EQ(find_open_file(slots[i]), nullptr) << slots[i];
    }
    // A slot taken again gives the new entry.
    OpenFile* again = add_open_file(63);
    EXPECT_EQ(find_open_file(63), again);
    EXPECT_TRUE(remove_open_file(again));
    EXPECT_EQ(newest_open_file(), nullptr);
}
