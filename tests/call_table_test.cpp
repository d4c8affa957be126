// The call table: every system call a backend makes can be made to fail
// there, and the open-handle count stays right whatever fails.
#include "platform/call_table.h"

#include <gtest/gtest.h>

#include <vector>

#include "fault_countdown.h"
#include "platform/file_io.h"
#include "platform/find_files.h"
#include "platform/process.h"
#include "test_support.h"

using namespace ketrav::platform;
using ketrav::testing::ScratchDirectory;

namespace {

constexpr OsError planted_error = 1234;

class CallTable : public ::testing::Test {
   protected:
    void TearDown() override { ketrav::testing::stop_countdown(); }
};

// One of everything the layer does, each result kept; handles are closed
// again with the hooks out of the way, so nothing leaks whatever failed.
std::vector<OsStatus> exercise_every_call() {
    std::vector<OsStatus> results;
    ketrav::testing::write_bytes("probe.txt", "probe");
    OsHandle file;
    results.push_back(open_file("probe.txt", FileAccess::write, file));
    FileKind kind;
    std::uint32_t count = 0;
    char byte = 0;
    results.push_back(file_kind(file, kind));
    results.push_back(set_file_pointer(file, 0));
    results.push_back(set_end_of_file(file));
    results.push_back(write_file(file, "x", 1, count));
    results.push_back(read_file(file, &byte, 1, count));
    OsStatus closed = close_handle(file);
    results.push_back(closed);

    OsHandle search;
    FoundEntry entry;
    OsStatus first = find_first("*.txt", search, entry);
    results.push_back(first);
    results.push_back(find_next(search, entry));
    OsStatus search_closed = find_close(search);
    results.push_back(search_closed);
    results.push_back(delete_file("probe.txt"));

    ProcessStart start;
    start.command_line =
        ketrav::testing::command_word(ketrav::testing::program_path("call_table_test")) + " --gtest_list_tests";
    ProcessHandles started;
    OsStatus created = create_process(start, started);
    results.push_back(created);
    if (created.ok) {
        results.push_back(wait_for_process(started.process));
        std::uint32_t code = 0;
        results.push_back(exit_code_of_process(started.process, code));
    }

    // Clean up with nothing failing; the countdown's figures stay readable.
    reset_call_hooks();
    if (!closed.ok && file.valid()) close_handle(file);
    if (first.ok && !search_closed.ok) find_close(search);
    if (created.ok) {
        wait_for_process(started.process);  // never leave the child behind
        close_handle(started.process);
        close_handle(started.thread);
    }
    return results;
}

TEST_F(CallTable, EveryCallTheBackendMakesCanBeMadeToFail) {
    std::vector<SystemCall> used;
    {
        ScratchDirectory scratch;
        ketrav::testing::count_calls();
        exercise_every_call();
        for (int i = 0; i < static_cast<int>(SystemCall::count); ++i)
            if (ketrav::testing::calls_seen_of(static_cast<SystemCall>(i)) > 0)
                used.push_back(static_cast<SystemCall>(i));
    }
    // Both backends open, read, write, find, delete and start processes.
    EXPECT_GE(used.size(), 12u);
    for (SystemCall call : used) {
        ScratchDirectory scratch;
        int before = open_handle_count();
        ketrav::testing::fail_nth_call_of(call, 1, planted_error, true);
        std::vector<OsStatus> results = exercise_every_call();
        bool reported = false;
        for (const OsStatus& status : results) reported = reported || (!status.ok && status.error == planted_error);
        // Looking before leaping is no failure of its own: a failed stat
        // before an open lets the open find out for itself, and a program
        // whose place or access cannot be told is a missing program (2).
        bool looks_only =
            call == SystemCall::file_status || call == SystemCall::program_path || call == SystemCall::program_access;
        if (!looks_only) {
            EXPECT_TRUE(reported) << system_call_name(call);
        }
        EXPECT_EQ(open_handle_count(), before) << system_call_name(call);
    }
}

TEST_F(CallTable, HooksSwapInAndOut) {
    auto refuse = [](SystemCall, std::uint32_t&) -> OsError { return planted_error; };
    EXPECT_EQ(swap_call_hook(SystemCall::open_file, refuse), nullptr);
    ScratchDirectory scratch;
    ketrav::testing::write_bytes("a.txt", "a");
    OsHandle file;
    EXPECT_EQ(open_file("a.txt", FileAccess::read, file).error, planted_error);
    EXPECT_FALSE(file.valid());
    EXPECT_EQ(open_handle_count(), 0);
    EXPECT_NE(swap_call_hook(SystemCall::open_file, nullptr), nullptr);
    ASSERT_TRUE(open_file("a.txt", FileAccess::read, file).ok);
    EXPECT_EQ(open_handle_count(), 1);
    // A refused close leaves the handle open, as on Windows.
    swap_call_hook(SystemCall::close_handle, refuse);
    EXPECT_EQ(close_handle(file).error, planted_error);
    EXPECT_EQ(open_handle_count(), 1);
    reset_call_hooks();
    EXPECT_TRUE(close_handle(file).ok);
    EXPECT_EQ(open_handle_count(), 0);
}

TEST_F(CallTable, ShortWrite) {
    ScratchDirectory scratch;
    OsHandle file;
    ASSERT_TRUE(open_file("short.txt", FileAccess::write, file).ok);
    ketrav::testing::short_write_nth_write(1, 3);
    std::uint32_t written = 0;
    EXPECT_TRUE(write_file(file, "abcdef", 6, written).ok);
    EXPECT_EQ(written, 3u);
    EXPECT_TRUE(write_file(file, "gh", 2, written).ok);
    EXPECT_EQ(written, 2u);
    ketrav::testing::stop_countdown();
    close_handle(file);
    EXPECT_EQ(ketrav::testing::read_bytes("short.txt"), "abcgh");
}

}  // namespace
