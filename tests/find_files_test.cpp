// The OS layer's find, attributes and deletion.
#include "platform/find_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "platform/directory_claim.h"
#include "platform/file_io.h"
#include "platform/file_replace.h"
#include "test_support.h"

using namespace ketrav::platform;
using ketrav::testing::read_bytes;
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

// Deleting and replacing refuse alike what Windows refuses: a read-only
// file (5) and a file that an open holds, in this process or another (32).
TEST(PlatformFind, DeleteAndReplaceRefuseReadOnlyAndHeldFiles) {
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

    write_bytes("new.txt", "new");
    EXPECT_EQ(replace_file("new.txt", "locked.txt").error, error_access_denied);
    EXPECT_EQ(read_bytes("locked.txt"), "l");

    write_bytes("held.txt", "held");
    OsHandle holder;
    ASSERT_TRUE(open_file("held.txt", FileAccess::read, holder).ok);
    EXPECT_FALSE(delete_file("held.txt").ok);
    EXPECT_FALSE(replace_file("new.txt", "held.txt").ok);
    close_handle(holder);
    EXPECT_EQ(read_bytes("held.txt"), "held");
    EXPECT_EQ(read_bytes("new.txt"), "new");

    EXPECT_TRUE(replace_file("new.txt", "held.txt").ok);
    EXPECT_EQ(read_bytes("held.txt"), "new");
    EXPECT_FALSE(ketrav::testing::exists("new.txt"));
    write_bytes("another.txt", "another");
    EXPECT_TRUE(replace_file("another.txt", "fresh.txt").ok);
    EXPECT_EQ(read_bytes("fresh.txt"), "another");
    EXPECT_TRUE(delete_file("held.txt").ok);
}

#ifndef _WIN32
// A symbolic link: never written through, and for a report only followed
// when it is the user's own.
TEST(PlatformFind, LinksAreNeverWrittenThroughAndOnlyOwnLinksAreFollowed) {
    namespace fs = std::filesystem;
    ScratchDirectory scratch;
    write_bytes("victim.txt", "victim");
    fs::create_symlink("victim.txt", "planted.txt");
    OsHandle handle;
    EXPECT_EQ(open_file("planted.txt", FileAccess::write, handle).error, error_access_denied);
    EXPECT_EQ(read_bytes("victim.txt"), "victim");
    // Deleting the link leaves its target.
    EXPECT_TRUE(delete_file("planted.txt").ok);
    EXPECT_EQ(read_bytes("victim.txt"), "victim");

    fs::create_directory("posting");
    fs::create_symlink("posting/traffic.rpt", "own.rpt");
    std::string target;
    EXPECT_TRUE(own_link_target("own.rpt", target).ok);
    EXPECT_EQ(target, "./posting/traffic.rpt");  // not made yet: the place the link names
    write_bytes("posting/traffic.rpt", "");
    EXPECT_TRUE(own_link_target("own.rpt", target).ok);
    EXPECT_EQ(target, fs::canonical("posting/traffic.rpt").string());
    EXPECT_TRUE(own_link_target("victim.txt", target).ok);
    EXPECT_EQ(target, "victim.txt");
    if (geteuid() != 0) GTEST_SKIP() << "another user's link needs root to make";
    ASSERT_EQ(lchown("own.rpt", 65534, 65534), 0);
    EXPECT_EQ(own_link_target("own.rpt", target).error, error_access_denied);
}
#endif

// The claim on a directory: one holder at a time, free again once closed.
TEST(PlatformFind, OneClaimOnADirectoryAtATime) {
    ScratchDirectory scratch;
    OsHandle first, second;
    ASSERT_TRUE(claim_current_directory(first).ok);
    EXPECT_EQ(claim_current_directory(second).error, error_sharing_violation);
    EXPECT_TRUE(close_handle(first).ok);
    ASSERT_TRUE(claim_current_directory(second).ok);
    EXPECT_TRUE(close_handle(second).ok);
}

}  // namespace
