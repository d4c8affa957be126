// The fault hook reaches every system call of the layer.
#include <gtest/gtest.h>

#include "platform/call_table.h"
#include "platform/file_io.h"
#include "platform/find_files.h"
#include "platform/process.h"
#include "test_support.h"

using namespace ketrav::platform;
using ketrav::testing::ScratchDirectory;

namespace {

SystemCall failing_call = SystemCall::count;

OsError fail_chosen_call(SystemCall call, std::uint32_t&) { return call == failing_call ? 1234u : 0u; }

class CallTable : public ::testing::Test {
   protected:
    void TearDown() override { reset_call_hooks(); }
};

// Runs every kind of call once and reports the status of the chosen kind.
OsStatus exercise(SystemCall call) {
    ketrav::testing::write_bytes("probe.txt", "probe");
    OsHandle file;
    OsStatus opened = open_file("probe.txt", FileAccess::write, file);
    if (call == SystemCall::open_file) return opened;
    FileKind kind;
    std::uint32_t count = 0;
    char byte = 0;
    OsStatus result;
    OsStatus statuses[] = {
        file_kind(file, kind),           set_file_pointer(file, 0),
        set_end_of_file(file),           read_file(file, &byte, 1, count),
        write_file(file, "x", 1, count), close_handle(file),
    };
    SystemCall file_calls[] = {SystemCall::file_type, SystemCall::set_file_pointer, SystemCall::set_end_of_file,
                               SystemCall::read_file, SystemCall::write_file,       SystemCall::close_handle};
    for (int i = 0; i < 6; ++i)
        if (file_calls[i] == call) result = statuses[i];
    if (call == SystemCall::close_handle) {
        // The hook refused the close; the file is still open.
        failing_call = SystemCall::count;
        close_handle(file);
        return result;
    }
    if (call <= SystemCall::close_handle) return result;

    OsHandle search;
    FoundEntry entry;
    OsStatus first = find_first("*.txt", search, entry);
    if (call == SystemCall::find_first) return first;
    OsStatus next = find_next(search, entry);
    OsStatus closed = find_close(search);
    if (call == SystemCall::find_next) return next;
    if (call == SystemCall::find_close) {
        failing_call = SystemCall::count;
        find_close(search);
        return closed;
    }
    if (call == SystemCall::delete_file) return delete_file("probe.txt");

    ProcessStart start;
    start.command_line = ketrav::testing::command_word(ketrav::testing::program_path("platform_call_table_test")) +
                         " --gtest_list_tests";
    ProcessHandles started;
    OsStatus created = create_process(start, started);
    if (call == SystemCall::create_process) return created;
    OsStatus waited = wait_for_process(started.process);
    std::uint32_t code = 0;
    OsStatus asked = exit_code_of_process(started.process, code);
    if (!waited.ok) wait_for_process(started.process);  // never leave the child behind
    close_handle(started.process);
    close_handle(started.thread);
    return call == SystemCall::wait_for_process ? waited : asked;
}

TEST_F(CallTable, EveryCallCanBeMadeToFail) {
    for (int i = 0; i < static_cast<int>(SystemCall::count); ++i) {
        ScratchDirectory scratch;
        SystemCall call = static_cast<SystemCall>(i);
        int before = open_handle_count();
        failing_call = call;
        for (int j = 0; j < static_cast<int>(SystemCall::count); ++j)
            swap_call_hook(static_cast<SystemCall>(j), fail_chosen_call);
        OsStatus status = exercise(call);
        reset_call_hooks();
        EXPECT_FALSE(status.ok) << system_call_name(call);
        EXPECT_EQ(status.error, 1234u) << system_call_name(call);
        EXPECT_EQ(open_handle_count(), before) << system_call_name(call);
    }
}

TEST_F(CallTable, CountdownFailsTheNthCallOnceOrFromThenOn) {
    ScratchDirectory scratch;
    ketrav::testing::write_bytes("a.txt", "a");
    fail_nth_call(2, error_disk_full, false);
    OsHandle first, second, third;
    EXPECT_TRUE(open_file("a.txt", FileAccess::read, first).ok);
    close_handle(first);  // the second call, made to fail: the handle stays open
    EXPECT_TRUE(fault_fired());
    EXPECT_EQ(open_handle_count(), 1);
    EXPECT_TRUE(close_handle(first).ok);
    EXPECT_EQ(calls_seen(), 3u);

    fail_nth_call(1, error_sharing_violation, true);
    EXPECT_EQ(open_file("a.txt", FileAccess::read, second).error, error_sharing_violation);
    EXPECT_EQ(open_file("a.txt", FileAccess::read, third).error, error_sharing_violation);
    reset_call_hooks();
    EXPECT_EQ(open_handle_count(), 0);
}

TEST_F(CallTable, ShortWrite) {
    ScratchDirectory scratch;
    OsHandle file;
    ASSERT_TRUE(open_file("short.txt", FileAccess::write, file).ok);
    short_write_nth_call(1, 3);
    std::uint32_t written = 0;
    EXPECT_TRUE(write_file(file, "abcdef", 6, written).ok);
    EXPECT_EQ(written, 3u);
    EXPECT_TRUE(write_file(file, "gh", 2, written).ok);
    EXPECT_EQ(written, 2u);
    reset_call_hooks();
    close_handle(file);
    EXPECT_EQ(ketrav::testing::read_bytes("short.txt"), "abcgh");
}

}  // namespace
