// Files by name: existence, and deleting by name or pattern.
#include "services/file_names.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/call_table.h"
#include "services/run_time_errors.h"
#include "services/text_files.h"
#include "test_support.h"

using namespace ketrav::services;
using ketrav::testing::exists;
using ketrav::testing::read_bytes;
using ketrav::testing::ScratchDirectory;
using ketrav::testing::write_bytes;

namespace {

class FileNames : public ::testing::Test {
   protected:
    void SetUp() override { handles_before = ketrav::platform::open_handle_count(); }
    void TearDown() override {
        close_all();
        EXPECT_EQ(ketrav::platform::open_handle_count(), handles_before);
    }
    ScratchDirectory scratch;
    int handles_before = 0;
};

TEST_F(FileNames, FileExists) {
    write_bytes("plain.txt", "p");
    write_bytes(".hidden.txt", "h");
    std::filesystem::create_directory("folder");
    record_error(1);
    EXPECT_EQ(file_exists("plain.txt"), truth_true);
    EXPECT_EQ(file_exists(".hidden.txt"), truth_true);
    EXPECT_EQ(file_exists(""), truth_false);
    EXPECT_EQ(file_exists("folder"), truth_false);
    EXPECT_EQ(file_exists("plain.tx?"), truth_false);
    EXPECT_EQ(file_exists("*.txt"), truth_false);
    EXPECT_EQ(file_exists("plain.txt:"), truth_false);
    EXPECT_EQ(file_exists("C:"), truth_false);
    EXPECT_EQ(file_exists("missing.txt"), truth_false);
    EXPECT_EQ(last_error(), 1);
#ifndef _WIN32
    // The name is used whole; Windows itself drops trailing spaces.
    EXPECT_EQ(file_exists("plain.txt "), truth_false);
    // Only regular files exist: a device or a FIFO would never end a read.
    std::filesystem::create_symlink("/dev/zero", "zero.lnk");
    std::filesystem::create_symlink("plain.txt", "plain.lnk");
    EXPECT_EQ(file_exists("zero.lnk"), truth_false);
    EXPECT_EQ(file_exists("/dev/zero"), truth_false);
    EXPECT_EQ(file_exists("plain.lnk"), truth_true);
    // Past 255 characters a name is cut, as an open cuts it: the file found
    // is the file that is then opened.
    const std::string longest = std::string(251, 'x') + ".txt";
    write_bytes(longest, "l");
    EXPECT_EQ(file_exists(longest + "yyyy"), truth_true);
    EXPECT_EQ(file_exists(std::string(300, 'z')), truth_false);
#endif
}

TEST_F(FileNames, DeleteFile) {
    write_bytes("KetRAV1.txt", "1");
    write_bytes("KetRAV2.txt", "2");
    write_bytes("keep.log", "k");
    record_error(1);
    delete_file("");
    EXPECT_EQ(last_error(), 1);
    delete_file("KetRAV?.txt");
    EXPECT_FALSE(ketrav::testing::exists("KetRAV1.txt"));
    EXPECT_FALSE(ketrav::testing::exists("KetRAV2.txt"));
    EXPECT_TRUE(ketrav::testing::exists("keep.log"));
    EXPECT_EQ(last_error(), 1);
    delete_file("missing.txt");
    EXPECT_EQ(last_error(), run_time_code::file_not_found);

    write_bytes("locked.txt", "l");
    ketrav::testing::make_read_only("locked.txt", true);
    delete_file("locked.txt");
    EXPECT_EQ(last_error(), run_time_code::permission_denied);
    EXPECT_TRUE(ketrav::testing::exists("locked.txt"));
    ketrav::testing::make_read_only("locked.txt", false);

    // A directory part with either separator deletes inside that directory,
    // never a file of the same name here.
    std::filesystem::create_directory("sub");
    write_bytes("sub/a.txt", "sub");
    write_bytes("a.txt", "here");
    delete_file("sub/a.txt");
    EXPECT_FALSE(ketrav::testing::exists("sub/a.txt"));
    EXPECT_TRUE(ketrav::testing::exists("a.txt"));
    write_bytes("sub/b.txt", "sub");
    write_bytes("b.txt", "here");
    delete_file("sub\\b.txt");
    EXPECT_FALSE(ketrav::testing::exists("sub/b.txt"));
    EXPECT_TRUE(ketrav::testing::exists("b.txt"));
    write_bytes("sub/c.txt", "c");
    write_bytes("sub/d.txt", "d");
    std::filesystem::create_directory("sub/inner");
    record_error(1);
    delete_file("sub/");
    EXPECT_FALSE(ketrav::testing::exists("sub/c.txt"));
    EXPECT_FALSE(ketrav::testing::exists("sub/d.txt"));
    EXPECT_TRUE(ketrav::testing::exists("sub/inner"));
    EXPECT_EQ(last_error(), 1);
}

#ifndef _WIN32
TEST_F(FileNames, HiddenFilesAreNotDeleted) {
    write_bytes(".hidden", "h");
    record_error(1);
    delete_file(".hidden");
    EXPECT_TRUE(ketrav::testing::exists(".hidden"));
    EXPECT_EQ(last_error(), 1);
}
#endif

}  // namespace
