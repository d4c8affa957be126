// The path walk through descriptors: own links followed on the way, within
// a budget; another user's link on the way refused; what it reaches is the
// directory the path names.
#include "platform/posix/path_walk.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/posix/root_rule.h"
#include "test_support.h"

using namespace ketrav::platform;
namespace fs = std::filesystem;

namespace {

// Walks `path` from the current directory; on success, `inode` is the
// reached directory's.
OsStatus walk(const std::string& path, std::string& last, ino_t& inode) {
    posix::Descriptor directory;
    int links_left = posix::most_links_followed;
    OsStatus walked = posix::walk_to_parent(AT_FDCWD, path, directory, last, links_left);
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
    fs::create_directory_symlink("a/b", "theirs");
    ASSERT_EQ(lchown("theirs", 65534, 65534), 0);
    EXPECT_EQ(walk("theirs/c/x.rpt", last, reached).error, error_access_denied);
    // Root's own link is followed for any user.
    ASSERT_EQ(lchown("own", 0, 0), 0);
    EXPECT_TRUE(walk("own/c/x.rpt", last, reached).ok);
}

// Root becomes a directory's owner with what /etc/passwd and /etc/group
// give that user: the first entry of the uid, every group naming the user;
// a uid they do not list keeps the group given, and no other.
TEST(RootRule, IdentityFromTheTables) {
    const std::string passwd =
        "root:x:0:0:root:/root:/bin/sh\nbbs:x:1001:1001::/srv/bbs:/bin/sh\n"
        "again:x:1001:7::/:/bin/sh\nbad:x:12x:1:::\n";
    const std::string group = "root:x:0:\nbbs:x:1001:\nfido:x:500:sysop,bbs\nbbsish:x:501:bbsx\nlast:x:502:bbs";
    posix::Identity bbs = posix::identity_from_tables(1001, 99, passwd, group);
    EXPECT_EQ(bbs.user, 1001u);
    EXPECT_EQ(bbs.group, 1001u);
    EXPECT_EQ(bbs.groups, (std::vector<gid_t>{1001, 500, 502}));
    posix::Identity unlisted = posix::identity_from_tables(4242, 99, passwd, group);
    EXPECT_EQ(unlisted.group, 99u);
    EXPECT_EQ(unlisted.groups, (std::vector<gid_t>{99}));
}

// What root may open: every part root's and closed to other users; a
// sticky directory passed through, or holding a file of root's, but never
// one a file is made in.
TEST(RootRule, RootOpensNothingAnotherUserCouldHavePut) {
    ketrav::testing::ScratchDirectory scratch;
    if (geteuid() != 0) GTEST_SKIP() << "the rule is root's; its cases need root to make";
    fs::create_directories("sticky/safe");
    fs::create_directories("open");
    fs::create_directories("theirs");
    fs::create_directories("group");
    for (const char* file : {"sticky/roots", "sticky/safe/log", "open/log", "theirs/log", "group/log"})
        ketrav::testing::write_bytes(file, "x");
    ASSERT_EQ(chmod("sticky", 01777), 0);
    ASSERT_EQ(chmod("open", 0777), 0);
    ASSERT_EQ(chown("theirs", 65534, 0), 0);
    ASSERT_EQ(chmod("group", 0775), 0);
    fs::create_symlink("sticky/roots", "root-link");
    fs::create_symlink("sticky/roots", "their-link");
    ASSERT_EQ(lchown("their-link", 65534, 65534), 0);
    struct Case {
        const char* path;
        bool allowed;
    };
    for (const Case& one : {Case{"sticky/roots", true}, Case{"sticky/safe/log", true}, Case{"sticky/new", false},
                            Case{"open/log", false}, Case{"theirs/log", false}, Case{"group/log", true},
                            Case{"root-link", true}, Case{"their-link", false}, Case{"missing/log", true}}) {
        EXPECT_EQ(posix::check_path_for_root(one.path).ok, one.allowed) << one.path;
    }
    // A group's write is another user's unless the group is root's.
    ASSERT_EQ(chown("group", 0, 65534), 0);
    EXPECT_FALSE(posix::check_path_for_root("group/log").ok);
}

}  // namespace
