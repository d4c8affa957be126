// The path walk through descriptors: own links followed on the way, within
// a budget; another user's link on the way refused; what it reaches is the
// directory the path names.
#include "platform/posix/path_walk.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>

#include "platform/posix/identity_tables.h"
#include "platform/posix/root_rule.h"
#include "test_support.h"

using namespace ketrav::platform;
namespace fs = std::filesystem;

namespace {

// Walks `path` from the current directory; on success, `inode` is the
// reached directory's.
OsStatus walk(const std::string& path, std::string& last, ino_t& inode) {
    posix::Descriptor directory;
    posix::Way way;
    OsStatus walked = posix::walk_to_parent(AT_FDCWD, path, directory, last, way);
    struct stat info {};
    inode = walked.ok && fstat(directory.get(), &info) == 0 ? info.st_ino : 0;
    return walked;
}

ino_t inode_of(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// qemu-user, given the target's library root (-L), opens "/" itself in
// that root, though not paths below it that the root lacks: an absolute
// walk, which starts at "/", is then not this system's.
bool root_is_remapped() {
    posix::Descriptor root(open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat info {};
    return fstat(root.get(), &info) != 0 || info.st_ino != inode_of("/tmp/..");
}

TEST(PathWalk, ReachesTheDirectoryThePathNames) {
    ketrav::testing::ScratchDirectory scratch;
    fs::create_directories("a/b/c");
    fs::create_directory_symlink("a/b", "own");          // an own link on the way
    fs::create_directory_symlink("../b/c", "a/b/back");  // relative to where it lies
    fs::create_directory_symlink("loop2", "loop1");      // links that never end
    fs::create_directory_symlink("loop1", "loop2");
    ketrav::testing::write_bytes("a/file", "");
    std::string last;
    ino_t reached = 0;
    struct Case {
        std::string path, directory, last;
    };
    std::vector<Case> cases = {Case{"a/b/c/x.rpt", "a/b/c", "x.rpt"}, Case{"x.rpt", ".", "x.rpt"},
                               Case{"own/c/x.rpt", "a/b/c", "x.rpt"}, Case{"own/back/x.rpt", "a/b/c", "x.rpt"},
                               Case{"a/b/../b/./c/x.rpt", "a/b/c", "x.rpt"}};
    if (!root_is_remapped()) cases.push_back(Case{fs::absolute("a/b/x.rpt").string(), "a/b", "x.rpt"});
    for (const Case& one : cases) {
        ASSERT_TRUE(walk(one.path, last, reached).ok) << one.path;
        EXPECT_EQ(reached, inode_of(one.directory)) << one.path;
        EXPECT_EQ(last, one.last) << one.path;
    }
    EXPECT_EQ(walk("loop1/x.rpt", last, reached).error, error_access_denied);
    EXPECT_EQ(walk("missing/x.rpt", last, reached).error, error_file_not_found);
    EXPECT_EQ(walk("a/file/x.rpt", last, reached).error, error_path_not_found);

    if (geteuid() != 0) GTEST_SKIP() << "another user's link needs root to make";
    // Root follows another user's link as that user, who must be able to
    // go the way; a second other user's link on it is refused.
    ASSERT_EQ(chmod(".", 0755), 0);
    fs::create_directory_symlink("a/b", "theirs");
    ASSERT_EQ(lchown("theirs", 65534, 65534), 0);
    EXPECT_TRUE(walk("theirs/c/x.rpt", last, reached).ok);
    ASSERT_EQ(chmod("a/b", 0700), 0);
    EXPECT_EQ(walk("theirs/c/x.rpt", last, reached).error, error_access_denied);
    ASSERT_EQ(chmod("a/b", 0755), 0);
    fs::create_directory_symlink("c", "a/b/second");
    ASSERT_EQ(lchown("a/b/second", 65533, 65533), 0);
    EXPECT_EQ(walk("theirs/second/x.rpt", last, reached).error, error_access_denied);
    ASSERT_EQ(lchown("own", 0, 0), 0);
    EXPECT_TRUE(walk("own/c/x.rpt", last, reached).ok);
}

// Root becomes a directory's owner with what /etc/passwd and /etc/group
// give that user: the first entry of the uid, every group naming the user;
// a uid they do not list gets no group that grants anything, and a number
// that fits no uid or gid names no one.
TEST(RootRule, IdentityFromTheTables) {
    const std::string passwd =
        "root:x:0:0:root:/root:/bin/sh\nbbs:x:1001:1001::/srv/bbs:/bin/sh\n"
        "again:x:1001:7::/:/bin/sh\nbad:x:12x:1:::\nwide:x:4294967296:4294967296:::\n"
        "wider:x:99999999999:0:::\nminus:x:4294967295:0:::\nbiggid:x:1002:4294967296:::\n";
    const std::string group =
        "root:x:0:\nbbs:x:1001:\nfido:x:500:sysop,bbs\nbbsish:x:501:bbsx\nwrapped:x:4294967296:bbs\nlast:x:502:bbs";
    posix::Identity bbs = posix::identity_from_tables(1001, passwd, group);
    EXPECT_EQ(bbs.user, 1001u);
    EXPECT_EQ(bbs.group, 1001u);
    EXPECT_EQ(bbs.name, "bbs");
    EXPECT_EQ(bbs.home, "/srv/bbs");
    EXPECT_EQ(bbs.groups, (std::vector<gid_t>{1001, 500, 502}));
    // 2^32 is cut to 0 by a careless parse: root's uid and group.
    for (uid_t unlisted : {4242u, 0u + 1002u}) {
        posix::Identity one = posix::identity_from_tables(unlisted, passwd, group);
        EXPECT_EQ(one.group, posix::unlisted_owner_group) << unlisted;
        EXPECT_EQ(one.groups, (std::vector<gid_t>{posix::unlisted_owner_group})) << unlisted;
        EXPECT_TRUE(one.name.empty()) << unlisted;
    }
    EXPECT_EQ(posix::identity_from_tables(0, "wide:x:4294967296:4294967296:::\n", group).group,
              posix::unlisted_owner_group);
    std::uint32_t number = 0;
    for (const char* text : {"4294967295", "4294967296", "99999999999", "", "-1", "1 ", "0x10"})
        EXPECT_FALSE(posix::parse_table_number(text, number)) << text;
    EXPECT_TRUE(posix::parse_table_number("4294967294", number));
    EXPECT_EQ(number, 4294967294u);
}

// What root may open, and as whom: every part of root's closed to other
// users, by its mode and by its access list; a sticky directory passed
// through, or holding a file of root's, but never one a file is made in;
// a part of another user's opened with that user's rights, and a second
// other user on one way refused.
TEST(RootRule, RootOpensWithTheRightsOfWhoeverControlsTheWay) {
    ketrav::testing::ScratchDirectory scratch;
    if (geteuid() != 0) GTEST_SKIP() << "the rule is root's; its cases need root to make";
    ASSERT_EQ(chmod(".", 0755), 0);
    for (const char* directory : {"sticky/safe", "open", "theirs", "group", "acl-user", "acl-group", "acl-dir"})
        fs::create_directories(directory);
    for (const char* file : {"sticky/roots", "sticky/safe/log", "open/log", "theirs/log", "theirs/own", "group/log",
                             "secret", "acl-user/log", "acl-group/log", "acl-dir/log", "masked"})
        ketrav::testing::write_bytes(file, "x");
    ASSERT_EQ(chmod("sticky", 01777), 0);
    ASSERT_EQ(chmod("open", 0777), 0);
    ASSERT_EQ(chown("theirs", 65534, 0), 0);
    ASSERT_EQ(chown("theirs/own", 65534, 65534), 0);
    ASSERT_EQ(chmod("theirs/own", 0600), 0);
    ASSERT_EQ(chmod("secret", 0600), 0);
    ASSERT_EQ(chmod("group", 0775), 0);
    fs::create_symlink("sticky/roots", "root-link");
    fs::create_symlink("sticky/roots", "their-link");
    fs::create_symlink("secret", "their-secret");
    fs::create_symlink("../their-link", "theirs/second-user");
    ASSERT_EQ(lchown("their-link", 65534, 65534), 0);
    ASSERT_EQ(lchown("their-secret", 65534, 65534), 0);
    ASSERT_EQ(lchown("theirs/second-user", 65533, 65533), 0);
    // Access lists (system.posix_acl_access: version 2, then tag, rights,
    // id): a named user's or group's write stands behind the group bits,
    // a named entry of root's group does not count, and a mask without
    // write leaves none.
    auto set_access_list = [](const char* path, std::uint16_t named_tag, std::uint32_t id, std::uint16_t mask) {
        std::vector<unsigned char> list = {2, 0, 0, 0};
        auto entry = [&](std::uint16_t tag, std::uint16_t rights, std::uint32_t who) {
            for (int byte = 0; byte < 2; ++byte) list.push_back(static_cast<unsigned char>(tag >> (8 * byte)));
            for (int byte = 0; byte < 2; ++byte) list.push_back(static_cast<unsigned char>(rights >> (8 * byte)));
            for (int byte = 0; byte < 4; ++byte) list.push_back(static_cast<unsigned char>(who >> (8 * byte)));
        };
        entry(0x01, 7, 0xFFFFFFFF);
        if (named_tag == 0x02) entry(0x02, 6, id);
        entry(0x04, 5, 0xFFFFFFFF);
        if (named_tag == 0x08) entry(0x08, 6, id);
        entry(0x10, mask, 0xFFFFFFFF);
        entry(0x20, 5, 0xFFFFFFFF);
        return setxattr(path, "system.posix_acl_access", list.data(), list.size(), 0) == 0;
    };
    if (!set_access_list("acl-user/log", 0x02, 65534, 6) || !set_access_list("acl-group/log", 0x08, 65534, 6) ||
        !set_access_list("acl-dir", 0x02, 65534, 7) || !set_access_list("group/log", 0x08, 0, 6) ||
        !set_access_list("masked", 0x02, 65534, 4))
        GTEST_SKIP() << "this file system keeps no access lists";
    struct Case {
        const char* path;
        int flags;
        OsError expected;
        uid_t opened_as;
    };
    constexpr int read = O_RDONLY | O_NONBLOCK | O_CLOEXEC, make = O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC;
    for (const Case& one :
         {Case{"sticky/roots", read, 0, 0}, Case{"sticky/safe/log", read, 0, 0},
          Case{"sticky/new", make, error_access_denied, 0}, Case{"open/log", read, error_access_denied, 0},
          Case{"theirs/log", read, 0, 65534}, Case{"theirs/own", read, 0, 65534}, Case{"theirs/new", make, 0, 65534},
          Case{"group/log", read, 0, 0}, Case{"root-link", read, 0, 0}, Case{"their-link", read, 0, 65534},
          Case{"their-secret", read, error_access_denied, 65534},
          Case{"theirs/second-user", read, error_access_denied, 65534},
          Case{"acl-user/log", read, error_access_denied, 0}, Case{"acl-group/log", read, error_access_denied, 0},
          Case{"acl-dir/log", read, error_access_denied, 0}, Case{"masked", read, 0, 0},
          Case{"missing/log", read, error_path_not_found, 0}}) {
        posix::Way way;
        posix::Descriptor file;
        OsStatus opened = posix::open_on_way(one.path, one.flags, way, file);
        EXPECT_EQ(opened.ok ? 0 : opened.error, one.expected) << one.path;
        if (one.expected == 0) {
            EXPECT_EQ(way.controller, one.opened_as) << one.path;
        }
    }
    struct stat made {};
    ASSERT_EQ(stat("theirs/new", &made), 0);
    EXPECT_EQ(made.st_uid, 65534u);
    EXPECT_FALSE(fs::exists("sticky/new"));
    // A group's write is another user's unless the group is root's.
    ASSERT_EQ(chown("group", 0, 65534), 0);
    posix::Way way;
    posix::Descriptor file;
    EXPECT_FALSE(posix::open_on_way("group/log", read, way, file).ok);
}

}  // namespace
