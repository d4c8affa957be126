// Runs on disk: what goes in comes back, line for line, whatever the buffer;
// a cut or unreadable run is a failure, never a short run.
#include "standins/run_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fault_countdown.h"
#include "platform/file_io.h"
#include "platform/scratch_files.h"
#include "test_support.h"

using ketrav::platform::OsHandle;
using ketrav::standins::RunReader;
using ketrav::standins::RunWriter;

namespace {

class RunFilesTest : public ::testing::Test {
   protected:
    void SetUp() override { ASSERT_TRUE(ketrav::platform::create_scratch_file(scratch_.path().string(), file_).ok); }
    void TearDown() override {
        ketrav::testing::stop_countdown();
        EXPECT_TRUE(ketrav::platform::close_handle(file_).ok);
    }

    std::vector<std::string> read_back(std::size_t buffer_bytes, bool& failed) {
        EXPECT_TRUE(ketrav::platform::set_file_pointer(file_, 0).ok);
        RunReader reader(file_, buffer_bytes);
        std::vector<std::string> lines;
        std::string_view line;
        while (reader.next(line)) lines.emplace_back(line);
        failed = reader.failed();
        return lines;
    }

    ketrav::testing::ScratchDirectory scratch_;
    OsHandle file_;
};

TEST_F(RunFilesTest, LinesComeBackAsWrittenWhateverTheBuffers) {
    const std::vector<std::string> lines = {
        "", "a", std::string(40, 'x'), std::string("\0\r\n\x1A", 4), std::string(3000, 'y'), "z"};
    RunWriter writer(file_, 16);
    for (const std::string& line : lines) ASSERT_TRUE(writer.put(line));
    ASSERT_TRUE(writer.flush());
    for (std::size_t buffer : {std::size_t{1}, std::size_t{9}, std::size_t{64}, std::size_t{1} << 16}) {
        bool failed = true;
        EXPECT_EQ(read_back(buffer, failed), lines) << buffer;
        EXPECT_FALSE(failed);
    }
}

TEST_F(RunFilesTest, ACutOrUnreadableRunFailsAndAFullDiskIsTold) {
    RunWriter writer(file_, 64);
    ASSERT_TRUE(writer.put("first line"));
    ASSERT_TRUE(writer.put(std::string(100, 'l')));
    ASSERT_TRUE(writer.flush());
    // Cut the run inside its last line.
    ASSERT_TRUE(ketrav::platform::set_file_pointer(file_, 8 + 10 + 8 + 50).ok);
    ASSERT_TRUE(ketrav::platform::set_end_of_file(file_).ok);
    bool failed = false;
    EXPECT_EQ(read_back(64, failed), std::vector<std::string>{"first line"});
    EXPECT_TRUE(failed);
    // Cut inside a length.
    ASSERT_TRUE(ketrav::platform::set_file_pointer(file_, 8 + 10 + 3).ok);
    ASSERT_TRUE(ketrav::platform::set_end_of_file(file_).ok);
    EXPECT_EQ(read_back(1024, failed), std::vector<std::string>{"first line"});
    EXPECT_TRUE(failed);

    ketrav::testing::fail_nth_call_of(ketrav::platform::SystemCall::read_file, 1, 23, false);
    EXPECT_TRUE(read_back(1024, failed).empty());
    EXPECT_TRUE(failed);

    // A write that comes up short fails the writer for good.
    ketrav::testing::short_write_nth_write(1, 5);
    RunWriter full(file_, 64);
    EXPECT_TRUE(full.put("buffered"));
    EXPECT_FALSE(full.flush());
    EXPECT_FALSE(full.put("later"));
    EXPECT_FALSE(full.flush());
}

}  // namespace
