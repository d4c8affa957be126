// The program's own directory, and where argv[0] says it is when /proc
// cannot tell.
#include "platform/posix/own_directory.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"

using ketrav::platform::posix::directory_of_invocation;
using ketrav::platform::posix::own_directory;

namespace fs = std::filesystem;

TEST(OwnDirectory, IsTheRunningProgramsDirectory) {
    std::string own = own_directory();
    ASSERT_FALSE(own.empty());
    EXPECT_TRUE(fs::exists(own + "/own_directory_test"));
    EXPECT_EQ(own, fs::canonical(own).string());
}

TEST(OwnDirectory, FromArgv0WithAPathOrAlongAbsolutePathEntries) {
    ketrav::testing::ScratchDirectory scratch;
    fs::create_directories("real/bin");
    ketrav::testing::write_bytes("real/bin/prog", "#!/bin/sh\n");
    fs::permissions("real/bin/prog", fs::perms::owner_all);
    fs::create_symlink(fs::absolute("real/bin/prog"), "linked");
    std::string real = fs::canonical("real/bin").string();

    EXPECT_EQ(directory_of_invocation("./real/bin/prog", nullptr), real);
    EXPECT_EQ(directory_of_invocation((fs::current_path() / "linked").c_str(), nullptr), real);
    EXPECT_EQ(directory_of_invocation("prog", ("/nonexistent:" + real).c_str()), real);
    // Never the current directory, nor a relative PATH entry.
    fs::copy_file("real/bin/prog", "prog");
    EXPECT_EQ(directory_of_invocation("prog", ".::real/bin"), "");
    EXPECT_EQ(directory_of_invocation("missing/prog", nullptr), "");
    EXPECT_EQ(directory_of_invocation("", "/bin"), "");
    EXPECT_EQ(directory_of_invocation(nullptr, "/bin"), "");
}
