// Text files by slot: line rules, slots, error codes, and every failure path
// reached through the OS layer's fault hook.
#include "services/text_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "fault_countdown.h"
#include "platform/call_table.h"
#include "services/file_names.h"
#include "services/run_time_errors.h"
#include "test_support.h"

using namespace ketrav::services;
using ketrav::testing::read_bytes;
using ketrav::testing::ScratchDirectory;
using ketrav::testing::write_bytes;

namespace {

// The calls behind "position, then read a block": one positioned read on
// POSIX, positioning and then reading on Windows.
#ifdef _WIN32
constexpr ketrav::platform::SystemCall block_positioning = ketrav::platform::SystemCall::set_file_pointer;
constexpr ketrav::platform::SystemCall block_read = ketrav::platform::SystemCall::read_file;
#else
constexpr ketrav::platform::SystemCall block_positioning = ketrav::platform::SystemCall::read_file_at;
constexpr ketrav::platform::SystemCall block_read = ketrav::platform::SystemCall::read_file_at;
#endif

class TextFiles : public ::testing::Test {
   protected:
    void SetUp() override { handles_before = ketrav::platform::open_handle_count(); }
    void TearDown() override {
        ketrav::testing::stop_countdown();
        close_all();
        EXPECT_EQ(ketrav::platform::open_handle_count(), handles_before + refused_closes);
    }
    ScratchDirectory scratch;
    int handles_before = 0;
    // A close that the fault hook refused leaves its handle open for good.
    int refused_closes = 0;
};

// Every line of a file, read the way the run reads: at_end before each line.
std::vector<std::string> all_lines(const std::string& bytes) {
    write_bytes("in.txt", bytes);
    open_for_reading("in.txt", 1);
    std::vector<std::string> lines;
    while (at_end(1) == truth_false) lines.push_back(read_line(1));
    close_file(1);
    return lines;
}

using Lines = std::vector<std::string>;

TEST_F(TextFiles, LineRules) {
    EXPECT_EQ(all_lines("x\r\ny\r\n"), (Lines{"x", "y"}));
    EXPECT_EQ(all_lines("x\ry"), (Lines{"x", "y"}));
    EXPECT_EQ(all_lines("x\ny\r\n"), (Lines{"x\ny"}));
    EXPECT_EQ(all_lines("x\r\r\ny"), (Lines{"x", "", "y"}));
    EXPECT_EQ(all_lines("x\n\ry"), (Lines{"x\n", "y"}));
    EXPECT_EQ(all_lines(std::string("a\0b\r\n", 5)), (Lines{std::string("a\0b", 3)}));
    EXPECT_EQ(all_lines("x\r\n\x1A"
                        "more\r\n"),
              (Lines{"x"}));
    EXPECT_EQ(all_lines(""), Lines{});
    EXPECT_EQ(all_lines("only LF\nlines\n"), (Lines{"only LF\nlines\n"}));
}

TEST_F(TextFiles, LineRulesAcrossTheBlockBoundary) {
    // A CR as the 128th byte, its LF the first byte of the next block.
    std::string first(127, 'a');
    EXPECT_EQ(all_lines(first + "\r\nnext\r\n"), (Lines{first, "next"}));
    // A CR as the very last byte of a block that ends the file.
    EXPECT_EQ(all_lines(first + "\r"), (Lines{first}));
    // A 0x1A as the first byte of the second block.
    EXPECT_EQ(all_lines(std::string(128, 'b') + "\x1A"
                                                "c"),
              (Lines{std::string(128, 'b')}));
    // Long lines come back whole from one read_line.
    std::string long_line(300, 'L');
    std::string huge(100000, 'H');
    EXPECT_EQ(all_lines(long_line + "\r\n" + huge), (Lines{long_line, huge}));
}

// The lines a reader should see, written apart from the services: split at
// CR or CR LF, LF inside the line, nothing from 0x1A on.
Lines model_lines(const std::string& bytes) {
    Lines lines;
    std::string current;
    bool open_line = false;
    for (std::size_t i = 0; i < bytes.size() && bytes[i] != '\x1A'; ++i) {
        if (bytes[i] != '\r') {
            current += bytes[i];
            open_line = true;
            continue;
        }
        lines.push_back(current);
        current.clear();
        open_line = false;
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    }
    if (open_line) lines.push_back(current);
    return lines;
}

TEST_F(TextFiles, LinesReadIntoOneValueFollowTheRulesAcrossEveryBlock) {
    std::mt19937 random(128);
    const char bytes[] = {'a', 'b', ' ', '\r', '\n', '\x1A', '\0'};
    const unsigned weights[] = {40, 20, 20, 8, 8, 1, 3};
    std::discrete_distribution<int> pick(std::begin(weights), std::end(weights));
    for (int round = 0; round < 200; ++round) {
        std::string file;
        std::size_t length = random() % 600;
        for (std::size_t i = 0; i < length; ++i) file += bytes[pick(random)];
        write_bytes("in.txt", file);
        open_for_reading("in.txt", 1);
        Lines lines;
        std::string line = "left over from before";
        while (at_end(1) == truth_false) {
            read_line_into(1, line);
            lines.push_back(line);
        }
        close_file(1);
        ASSERT_EQ(lines, model_lines(file)) << testing::PrintToString(file);
    }
    // A slot that is not open empties the value too.
    std::string line = "stale";
    read_line_into(9, line);
    EXPECT_EQ(line, "");
    EXPECT_EQ(last_error(), run_time_code::slot_not_open);
}

TEST_F(TextFiles, EndOfFileMarkAndReadingPastTheEnd) {
    write_bytes("in.txt",
                "x\r\n\x1A"
                "more");
    open_for_reading("in.txt", 1);
    EXPECT_EQ(read_line(1), "x");
    EXPECT_EQ(at_end(1), truth_true);
    EXPECT_EQ(read_line(1), "");
    EXPECT_EQ(last_error(), run_time_code::input_past_end);
    record_error(1);
    EXPECT_EQ(read_line(1), "");  // the 0x1A is still the next byte
    EXPECT_EQ(last_error(), run_time_code::input_past_end);
    close_file(1);

    write_bytes("empty.txt", "");
    open_for_reading("empty.txt", 1);
    EXPECT_EQ(at_end(1), truth_true);
    EXPECT_EQ(read_line(1), "");
    EXPECT_EQ(last_error(), run_time_code::input_past_end);
    // An empty line ended by its CR is no error.
    record_error(1);
    close_file(1);
    write_bytes("blank.txt", "\r\n");
    open_for_reading("blank.txt", 1);
    EXPECT_EQ(read_line(1), "");
    EXPECT_EQ(last_error(), 1);
}

TEST_F(TextFiles, SlotRules) {
    write_bytes("a.txt", "a\r\n");
    write_bytes("b.txt", "b\r\n");
    record_error(1);
    EXPECT_EQ(at_end(9), truth_true);
    EXPECT_EQ(last_error(), run_time_code::file_not_found);
    EXPECT_EQ(read_line(9), "");
    EXPECT_EQ(last_error(), run_time_code::slot_not_open);
    write_text(9, "x");
    EXPECT_EQ(last_error(), run_time_code::slot_not_open);
    end_line(9);
    EXPECT_EQ(last_error(), run_time_code::slot_not_open);

    open_for_reading("a.txt", -1);
    EXPECT_EQ(last_error(), run_time_code::slot_not_open);
    open_for_reading("", 1);
    EXPECT_EQ(last_error(), run_time_code::bad_file_name);
    open_for_writing("a*.txt", 1);
    EXPECT_EQ(last_error(), run_time_code::bad_file_name);
    open_for_reading("a?.txt", 1);
    EXPECT_EQ(last_error(), run_time_code::bad_file_name);
    open_for_reading("missing.txt", 1);
    EXPECT_EQ(last_error(), run_time_code::file_not_found);
    EXPECT_EQ(at_end(1), truth_true);  // the slot stayed free
    open_for_reading("nodir\\missing.txt", 1);
    EXPECT_EQ(last_error(), run_time_code::path_not_found);

    open_for_reading("a.txt", 1);
    open_for_writing("b.txt", 1);
    EXPECT_EQ(last_error(), run_time_code::slot_already_open);
    EXPECT_EQ(read_line(1), "a");  // the file under slot 1 is untouched
    EXPECT_EQ(read_bytes("b.txt"), "b\r\n");
    // The same file under another slot is refused in either mode.
    record_error(1);
    open_for_reading("a.txt", 2);
    EXPECT_EQ(last_error(), run_time_code::permission_denied);
    record_error(1);
    open_for_writing("a.txt", 2);
    EXPECT_EQ(last_error(), run_time_code::permission_denied);
    EXPECT_EQ(at_end(2), truth_true);

    write_text(1, "x");
    EXPECT_EQ(last_error(), run_time_code::wrong_mode);
    record_error(1);
    end_line(1);
    EXPECT_EQ(last_error(), run_time_code::wrong_mode);
    open_for_writing("b.txt", 32767);
    EXPECT_EQ(at_end(32767), truth_false);
    EXPECT_EQ(read_line(32767), "");
    EXPECT_EQ(last_error(), run_time_code::wrong_mode);

    // Closing what is not open records nothing.
    record_error(1);
    close_file(77);
    close_all();
    close_all();
    EXPECT_EQ(last_error(), 1);
}

TEST_F(TextFiles, WritingReplacesAndIsUnbuffered) {
    write_bytes("out.txt", std::string(1000, 'z'));
    open_for_writing("out.txt", 2);
    close_file(2);
    EXPECT_EQ(read_bytes("out.txt"), "");
    write_bytes("out.txt", std::string(1000, 'z'));
    open_for_writing("out.txt", 2);
    record_error(1);
    write_text(2, "");
    EXPECT_EQ(last_error(), 1);
    write_text(2, "x");
    end_line(2);
    close_file(2);
    EXPECT_EQ(read_bytes("out.txt"), "x\r\n");
    EXPECT_EQ(last_error(), 1);

    // One OS write per write_text and per end_line.
    open_for_writing("count.txt", 2);
    ketrav::testing::count_calls();
    write_text(2, "abc");
    write_text(2, "");
    end_line(2);
    EXPECT_EQ(ketrav::testing::calls_seen(), 2u);
    EXPECT_EQ(ketrav::testing::calls_seen_of(ketrav::platform::SystemCall::write_file), 2u);
}

TEST_F(TextFiles, ShortAndFailedWrites) {
    open_for_writing("out.txt", 2);
    open_for_writing("clean.txt", 3);
    write_text(3, "all of it");
    ketrav::testing::short_write_nth_write(1, 2);
    write_text(2, "abcd");
    EXPECT_EQ(last_error(), run_time_code::disk_full);
    ketrav::testing::short_write_nth_write(1, 1);
    end_line(2);
    EXPECT_EQ(last_error(), run_time_code::disk_full);
    ketrav::testing::fail_nth_call(1, 112, false);
    write_text(2, "zz");
    EXPECT_EQ(last_error(), run_time_code::disk_full);
    ketrav::testing::stop_countdown();
    // The close tells which file lost bytes: what tells a run that its
    // report is not whole.
    EXPECT_FALSE(close_file(2));
    EXPECT_TRUE(close_file(3));
    EXPECT_EQ(read_bytes("out.txt"), "ab\r");
}

// A close the system refuses leaves the file open: it stays in its slot,
// accounted for, and the file is not whole; the next close ends it and
// frees the file for the next open.
TEST_F(TextFiles, ARefusedCloseKeepsTheFileInItsSlot) {
    open_for_writing("out.txt", 2);
    write_text(2, "x");
    ketrav::testing::fail_nth_call_of(ketrav::platform::SystemCall::close_handle, 1, 5, false);
    EXPECT_FALSE(close_all());
    ketrav::testing::stop_countdown();
    EXPECT_TRUE(slot_in_use(2));
    EXPECT_FALSE(close_file(2));
    EXPECT_FALSE(slot_in_use(2));
    EXPECT_EQ(open_for_reading("out.txt", 1), 0);
    EXPECT_EQ(read_line(1), "x");
    EXPECT_TRUE(close_all());
}

#ifndef _WIN32
// A log cut under the reader (rotated by copying and truncating) no longer
// holds what was read, even once it has been written again past the point
// read; one that grew still does, and so does one renamed away and made
// anew, which the reader still holds. (Windows lets no one cut a file that
// the reader holds open.)
TEST_F(TextFiles, AFileCutUnderTheReaderIsTold) {
    const std::string log = std::string(300, 'a') + "\r\n" + std::string(300, 'b') + "\r\n";
    write_bytes("log.txt", log);
    ASSERT_EQ(open_for_checked_reading("log.txt", 1), 0);
    EXPECT_EQ(read_line(1).size(), 300u);
    EXPECT_TRUE(still_holds_the_bytes_read(1));
    std::filesystem::resize_file("log.txt", 100);
    read_line(1);
    EXPECT_FALSE(still_holds_the_bytes_read(1));
    close_all();

    ASSERT_EQ(open_for_checked_reading("log.txt", 1), 0);
    read_line(1);
    std::filesystem::resize_file("log.txt", 5000);
    EXPECT_TRUE(still_holds_the_bytes_read(1));
    EXPECT_TRUE(still_holds_the_bytes_read(9));  // no file open there
    close_all();

    // Cut, then written again by the tosser past the point read: the size
    // says nothing, the bytes do. One byte changed in place is told too.
    for (std::size_t changed : {std::size_t{0}, std::size_t{250}}) {
        write_bytes("log.txt", log);
        ASSERT_EQ(open_for_checked_reading("log.txt", 1), 0);
        read_line(1);
        std::string refill = log + log;
        refill[changed] = 'z';
        {
            std::ofstream same_file("log.txt", std::ios::binary | std::ios::in | std::ios::out);
            same_file.write(refill.data(), static_cast<std::streamsize>(refill.size()));
        }
        EXPECT_FALSE(still_holds_the_bytes_read(1)) << changed;
        close_all();
    }

    // Written over in place with the same length and its time stamps put
    // back: told by the bytes all the same. A file opened to be read
    // without a check is not read again.
    std::string balanced = log;
    ++balanced[10];
    --balanced[10 + 256];
    for (bool checked : {true, false}) {
        write_bytes("log.txt", log);
        auto stamp = std::filesystem::last_write_time("log.txt");
        ASSERT_EQ(checked ? open_for_checked_reading("log.txt", 1) : open_for_reading("log.txt", 1), 0);
        read_line(1);
        {
            std::ofstream same_file("log.txt", std::ios::binary | std::ios::in | std::ios::out);
            same_file.write(balanced.data(), static_cast<std::streamsize>(balanced.size()));
        }
        std::filesystem::last_write_time("log.txt", stamp);
        EXPECT_EQ(still_holds_the_bytes_read(1), !checked);
        close_all();
    }

    // Renamed away and made anew (a rotation with "create"): the file read
    // is still the one held.
    write_bytes("log.txt", log);
    ASSERT_EQ(open_for_checked_reading("log.txt", 1), 0);
    read_line(1);
    std::filesystem::rename("log.txt", "log.1");
    write_bytes("log.txt", std::string(4000, 'c'));
    EXPECT_TRUE(still_holds_the_bytes_read(1));
    close_all();
}
#endif

TEST_F(TextFiles, OpenFailingHalfwayLeavesTheFileAlone) {
    write_bytes("keep.txt", "contents");
    // The open itself succeeds; telling the file's kind fails.
    ketrav::testing::fail_nth_call_of(ketrav::platform::SystemCall::file_type, 1, 6, false);
    open_for_writing("keep.txt", 2);
    EXPECT_EQ(last_error(), run_time_code::internal);
    EXPECT_EQ(at_end(2), truth_true);  // the slot is free again
    ketrav::testing::fail_nth_call_of(ketrav::platform::SystemCall::set_end_of_file, 1, 19, false);
    open_for_writing("keep.txt", 2);
    EXPECT_EQ(last_error(), run_time_code::permission_denied);
    ketrav::testing::stop_countdown();
    EXPECT_EQ(read_bytes("keep.txt"), "contents");
    // A read open whose first block cannot be read fails as a whole.
    ketrav::testing::fail_nth_call_of(block_read, 1, 23, false);
    open_for_reading("keep.txt", 1);
    EXPECT_EQ(last_error(), 72);
    EXPECT_EQ(read_line(1), "");
    EXPECT_EQ(last_error(), run_time_code::slot_not_open);
}

TEST_F(TextFiles, ReadFailuresEndTheFile) {
    write_bytes("in.txt", std::string(200, 'r') + "\r\nlast\r\n");
    open_for_reading("in.txt", 1);
    // The next OS call positions for the second block; make it fail.
    ketrav::testing::fail_nth_call_of(block_positioning, 1, 23, false);
    EXPECT_EQ(read_line(1), "");
    EXPECT_EQ(last_error(), 72);
    ketrav::testing::fail_nth_call_of(block_read, 1, 30, false);
    EXPECT_EQ(at_end(1), truth_true);
    EXPECT_EQ(last_error(), 72);
}

TEST_F(TextFiles, EachBlockIsOnePositionedRead) {
    write_bytes("in.txt", std::string(300, 'b') + "\r\n" + std::string(100, 'c'));
    ketrav::testing::count_calls();
    open_for_reading("in.txt", 1);
    EXPECT_EQ(read_line(1), std::string(300, 'b'));
    EXPECT_EQ(read_line(1), std::string(100, 'c'));
    EXPECT_EQ(at_end(1), truth_true);
    // Blocks at 0, 128, 256 and 384, and the empty one at 402 twice: once
    // to end the last line and once more for the end test.
    EXPECT_EQ(ketrav::testing::calls_seen_of(block_read), 6u);
#ifdef _WIN32
    EXPECT_EQ(ketrav::testing::calls_seen_of(ketrav::platform::SystemCall::set_file_pointer), 6u);
#else
    EXPECT_EQ(ketrav::testing::calls_seen_of(ketrav::platform::SystemCall::set_file_pointer), 0u);
    EXPECT_EQ(ketrav::testing::calls_seen_of(ketrav::platform::SystemCall::read_file), 0u);
#endif
    ketrav::testing::stop_countdown();
    close_all();
}

TEST_F(TextFiles, EveryFailurePointLeavesNoHandleOpen) {
    write_bytes("in.txt", std::string(300, 'q') + "\r\nImport\r\n");
    write_bytes("old.txt", "old");
    // Sweep the failing call over a whole scenario: each failure records a
    // code, nothing crashes, and once all is closed no handle is left.
    for (unsigned nth = 1; nth < 60; ++nth) {
        ketrav::testing::fail_nth_call(nth, 1, false);
        open_for_reading("in.txt", 1);
        open_for_writing("out.txt", 2);
        while (at_end(1) == truth_false) {
            write_text(2, read_line(1));
            end_line(2);
        }
        close_all();
        delete_file("out.txt");
        file_exists("in.txt");
        bool fired = ketrav::testing::fault_fired();
        ketrav::platform::SystemCall failed = ketrav::testing::failed_call();
        ketrav::testing::stop_countdown();
        // A file whose close was refused stays in the table, so that the
        // next close ends it; a search refused its close is lost.
        bool refused_file_close = failed == ketrav::platform::SystemCall::close_handle;
        if (failed == ketrav::platform::SystemCall::find_close) ++refused_closes;
        EXPECT_LE(ketrav::platform::open_handle_count(), handles_before + refused_closes + (refused_file_close ? 1 : 0))
            << "failing call " << nth;
        close_all();
        EXPECT_EQ(ketrav::platform::open_handle_count(), handles_before + refused_closes) << "failing call " << nth;
        if (!fired) break;
    }
}

}  // namespace

// The first line of a file that names another, as Windows' own tools write
// it. UTF-16 is read as bytes, not lines: a unit may hold a CR or 0x1A byte
// ("К" is 1A 04), and neither ends the line there.
// read_bytes: a first line in an encoding the line rules do not fit.
TEST_F(TextFiles, BytesReadAsTheyAre) {
    std::string little = "\xFF\xFE";
    for (char16_t unit : std::u16string(u"\u041A\r\nrest"))
        little += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    // Read as bytes from the file, past what the line rules would stop at.
    write_bytes("ini.txt", little);
    ASSERT_EQ(open_for_reading("ini.txt", 3), 0);
    EXPECT_EQ(read_bytes(3, 4), std::string("\xFF\xFE\x1A\x04", 4));
    EXPECT_EQ(read_bytes(3, 100).size(), 12u);
    EXPECT_EQ(read_bytes(3, 100), "");
    EXPECT_TRUE(close_file(3));
}
