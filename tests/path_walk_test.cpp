// The path walk through descriptors: own links followed on the way, within
// a budget; another user's link on the way refused; what it reaches is the
// directory the path names.
#include "platform/posix/path_walk.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

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

}  // namespace
