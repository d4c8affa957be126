// The OS layer's files: no sharing, inside one process and across two.
#include "platform/file_io.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/call_table.h"
#include "platform/directory_claim.h"
#include "platform/find_files.h"
#include "platform/process.h"
#include "test_support.h"

using namespace ketrav::platform;
using ketrav::testing::ScratchDirectory;

namespace {

// Child jobs, each exiting with the Windows error it got (0 for success):
// "--child open NAME" opens NAME for reading, "--child delete NAME" deletes
// it, "--child claim" claims the current directory, "--child wait NAME"
// waits (20 s at most) until NAME is there.
int child_main(int argc, char** argv) {
    std::string job = argc >= 3 ? argv[2] : "";
    OsHandle handle;
    OsStatus status;
    if (argc >= 4 && job == "wait") {
        for (int tenth = 0; tenth < 200 && !ketrav::testing::exists(argv[3]); ++tenth)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return 0;
    }
    if (job == "claim") {
        status = claim_current_directory("run.lck", handle);
    } else if (argc >= 4 && job == "open") {
        status = open_file(argv[3], FileAccess::read, handle);
    } else if (argc >= 4 && job == "delete") {
        return static_cast<int>(delete_file(argv[3]).error);
    } else {
        return 100;
    }
    if (status.ok) close_handle(handle);
    return static_cast<int>(status.error);
}

TEST(PlatformFiles, SecondOpenInOneProcessIsASharingViolation) {
    ScratchDirectory scratch;
    ketrav::testing::write_bytes("shared.txt", "abc");
    int before = open_handle_count();

    OsHandle first, second;
    ASSERT_TRUE(open_file("shared.txt", FileAccess::read, first).ok);
    EXPECT_EQ(open_handle_count(), before + 1);
    OsStatus again = open_file("shared.txt", FileAccess::read, second);
    EXPECT_FALSE(again.ok);
    EXPECT_EQ(again.error, error_sharing_violation);
    again = open_file("shared.txt", FileAccess::write, second);
    EXPECT_EQ(again.error, error_sharing_violation);
    // The refused open for writing must not have emptied the file.
    EXPECT_TRUE(close_handle(first).ok);
    EXPECT_EQ(ketrav::testing::read_bytes("shared.txt"), "abc");
    EXPECT_EQ(open_handle_count(), before);
}

TEST(PlatformFiles, SecondOpenInAnotherProcessIsASharingViolation) {
    ScratchDirectory scratch;
    ketrav::testing::write_bytes("held.txt", "held");
    std::string child = ketrav::testing::child_command("open held.txt");

    EXPECT_EQ(ketrav::testing::run_and_wait(child), 0);
    OsHandle holder;
    ASSERT_TRUE(open_file("held.txt", FileAccess::write, holder).ok);
    EXPECT_EQ(ketrav::testing::run_and_wait(child), static_cast<long>(error_sharing_violation));
    // Nor can another process delete it while it is held (a second run the
    // first run's records), nor claim a directory that this one holds.
    std::string deleter = ketrav::testing::child_command("delete held.txt");
    EXPECT_EQ(ketrav::testing::run_and_wait(deleter), static_cast<long>(error_sharing_violation));
    OsHandle claim;
    ASSERT_TRUE(claim_current_directory("run.lck", claim).ok);
    EXPECT_EQ(ketrav::testing::run_and_wait(ketrav::testing::child_command("claim")),
              static_cast<long>(error_sharing_violation));
    close_handle(claim);
    EXPECT_EQ(ketrav::testing::run_and_wait(ketrav::testing::child_command("claim")), 0);
    // A helper the claim's holder started holds the claim until it ends,
    // even when the holder itself has gone (killed, so nothing removed).
    ASSERT_TRUE(claim_current_directory("run.lck", claim).ok);
    ProcessStart start;
    start.command_line = ketrav::testing::child_command("wait go.txt");
    start.claim = claim;
    ProcessHandles helper;
    ASSERT_TRUE(create_process(start, helper).ok);
    close_handle(claim);
    EXPECT_EQ(ketrav::testing::run_and_wait(ketrav::testing::child_command("claim")),
              static_cast<long>(error_sharing_violation));
    ketrav::testing::write_bytes("go.txt", "");
    EXPECT_TRUE(wait_for_process(helper.process).ok);
    close_handle(helper.process);
    close_handle(helper.thread);
    EXPECT_EQ(ketrav::testing::run_and_wait(ketrav::testing::child_command("claim")), 0);
    close_handle(holder);
    EXPECT_EQ(ketrav::testing::read_bytes("held.txt"), "held");
    EXPECT_EQ(ketrav::testing::run_and_wait(deleter), 0);
}

TEST(PlatformFiles, ReadWriteSeekAndCut) {
    ScratchDirectory scratch;
    ketrav::testing::write_bytes("data.txt", "0123456789");
    OsHandle file;
    ASSERT_TRUE(open_file("data.txt", FileAccess::write, file).ok);
    FileKind kind = FileKind::other;
    ASSERT_TRUE(file_kind(file, kind).ok);
    EXPECT_EQ(kind, FileKind::disk);
    // Opening for writing never empties the file by itself.
    ASSERT_TRUE(set_file_pointer(file, 4).ok);
    std::uint32_t written = 0;
    ASSERT_TRUE(write_file(file, "xy", 2, written).ok);
    EXPECT_EQ(written, 2u);
    ASSERT_TRUE(set_end_of_file(file).ok);
    ASSERT_TRUE(close_handle(file).ok);
    EXPECT_EQ(ketrav::testing::read_bytes("data.txt"), "0123xy");

    ASSERT_TRUE(open_file("data.txt", FileAccess::read, file).ok);
    char buffer[8] = {};
    std::uint32_t got = 0;
    ASSERT_TRUE(set_file_pointer(file, 2).ok);
    ASSERT_TRUE(read_file(file, buffer, sizeof buffer, got).ok);
    EXPECT_EQ(std::string(buffer, got), "23xy");
    ASSERT_TRUE(read_file(file, buffer, sizeof buffer, got).ok);
    EXPECT_EQ(got, 0u);
    close_handle(file);

    // Past 4 GiB (a sparse file): offsets of 64 bits on every build, the
    // 32-bit ones too, so that a log that large is read whole.
    const std::uint64_t far = (std::uint64_t{1} << 32) + 8;
    ASSERT_TRUE(open_file("big.log", FileAccess::write, file).ok);
    ASSERT_TRUE(set_file_pointer(file, far).ok);
    ASSERT_TRUE(write_file(file, "tail", 4, written).ok);
    close_handle(file);
    EXPECT_EQ(std::filesystem::file_size("big.log"), far + 4);
    ASSERT_TRUE(open_file("big.log", FileAccess::read, file).ok);
    ASSERT_TRUE(read_file_at(file, far, buffer, sizeof buffer, got).ok);
    EXPECT_EQ(std::string(buffer, got), "tail");
    close_handle(file);
}

TEST(PlatformFiles, OpenFailuresCarryWindowsCodes) {
    ScratchDirectory scratch;
    OsHandle file;
    EXPECT_EQ(open_file("missing.txt", FileAccess::read, file).error, error_file_not_found);
    EXPECT_EQ(open_file("no_dir\\missing.txt", FileAccess::read, file).error, error_path_not_found);
    EXPECT_EQ(open_file("no_dir/missing.txt", FileAccess::write, file).error, error_path_not_found);
    std::filesystem::create_directory("folder");
    EXPECT_EQ(open_file("folder", FileAccess::read, file).error, error_access_denied);
    ketrav::testing::write_bytes("locked.txt", "keep");
    ketrav::testing::make_read_only("locked.txt", true);
    if (!ketrav::testing::wine_as_root()) {
        EXPECT_EQ(open_file("locked.txt", FileAccess::write, file).error, error_access_denied);
        EXPECT_EQ(ketrav::testing::read_bytes("locked.txt"), "keep");
    }
    // Both separators lead into a directory.
    ketrav::testing::write_bytes("folder/inner.txt", "x");
    ASSERT_TRUE(open_file("folder\\inner.txt", FileAccess::read, file).ok);
    close_handle(file);
}

}  // namespace

int main(int argc, char** argv) {
    return ketrav::testing::run_tests_or_child_job(argc, argv, "file_io_test", child_main);
}
