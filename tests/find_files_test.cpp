// The OS layer's find, attributes and deletion.
#include "platform/find_files.h"

#include <gtest/gtest.h>

#include <set>

#include "test_support.h"

using namespace ketrav::platform;
using ketrav::testing::ScratchDirectory;
using ketrav::testing::write_bytes;

namespace {

std::set<std::string> names_found(const std::string& pattern, OsError* failure = nullptr) {
    std::set<std::string> names;
    OsHandle search;
    FoundEntry entry;
    OsStatus status = find_first(pattern, search, entry);
    if (failure) *failure = status.error;
    if (!status.ok) return names;
    do {
        if (entry.name != "." && entry.name != "..") names.insert(entry.name);
    } while (find_next(search, entry).ok);
    find_close(search);
    return names;
}

TEST(PlatformFind, FindsByPatternWithAttributes) {
    ScratchDirectory scratch;
    write_bytes("KetRAV1.txt", "1");
    write_bytes("KetRAV2.txt", "2");
    write_bytes("other.log", "3");
    std::filesystem::create_directory("sub");
    write_bytes("sub/inner.txt", "4");

    EXPECT_EQ(names_found("*.*"), (std::set<std::string>{"KetRAV1.txt", "KetRAV2.txt", "other.log", "sub"}));
    EXPECT_EQ(names_found("KetRAV?.txt"), (std::set<std::string>{"KetRAV1.txt", "KetRAV2.txt"}));
    EXPECT_EQ(names_found("sub\\*.txt"), (std::set<std::string>{"inner.txt"}));
    OsError failure = 0;
    EXPECT_TRUE(names_found("*.none", &failure).empty());
    EXPECT_EQ(failure, error_file_not_found);
    EXPECT_TRUE(names_found("nodir\\*.txt", &failure).empty());
    EXPECT_EQ(failure, error_path_not_found);
    EXPECT_TRUE(names_found("missing.txt", &failure).empty());
    EXPECT_EQ(failure, error_file_not_found);

    OsHandle search;
    FoundEntry entry;
    ASSERT_TRUE(find_first("sub", search, entry).ok);
    EXPECT_EQ(entry.name, "sub");
    EXPECT_TRUE(entry.attributes & attribute_directory);
    find_close(search);

    ketrav::testing::make_read_only("other.log", true);
    ASSERT_TRUE(find_first("other.log", search, entry).ok);
    EXPECT_TRUE(entry.attributes & attribute_read_only);
    EXPECT_FALSE(entry.attributes & attribute_directory);
    find_close(search);
    ASSERT_TRUE(find_first("KetRAV1.txt", search, entry).ok);
    EXPECT_FALSE(entry.attributes & (attribute_read_only | attribute_directory | attribute_hidden));
    OsStatus after_last = find_next(search, entry);
    EXPECT_EQ(after_last.error, error_no_more_files);
    find_close(search);
}

#ifndef _WIN32
TEST(PlatformFind, DotNamesAreHiddenAndSpecialFilesInvisible) {
    ScratchDirectory scratch;
    write_bytes(".hidden", "h");
    OsHandle search;
    FoundEntry entry;
    ASSERT_TRUE(find_first(".hidden", search, entry).ok);
    EXPECT_TRUE(entry.attributes & attribute_hidden);
    find_close(search);
    std::filesystem::create_symlink("/dev/null", "device");
    EXPECT_FALSE(find_first("device", search, entry).ok);
}
#endif

TEST(PlatformFind, DeleteRefusesReadOnly) {
    ScratchDirectory scratch;
    write_bytes("plain.txt", "p");
    write_bytes("locked.txt", "l");
    ketrav::testing::make_read_only("locked.txt", true);
    EXPECT_TRUE(delete_file("plain.txt").ok);
    EXPECT_FALSE(ketrav::testing::exists("plain.txt"));
    OsStatus refused = delete_file("locked.txt");
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error, error_access_denied);
    EXPECT_TRUE(ketrav::testing::exists("locked.txt"));
    EXPECT_EQ(delete_file("plain.txt").error, error_file_not_found);
}

}  // namespace
