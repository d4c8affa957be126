// The OS layer's find, attributes and deletion.
#include "platform/find_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <thread>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/call_table.h"
#include "platform/directory_claim.h"
#include "platform/file_io.h"
#include "platform/file_replace.h"
#ifndef _WIN32
#include "platform/posix/leftover_temporaries.h"
#endif
#include "platform/stream_delivery.h"
#include "test_support.h"

using namespace ketrav::platform;
using ketrav::testing::read_bytes;
using ketrav::testing::ScratchDirectory;
using ketrav::testing::write_bytes;

namespace {

std::set<std::string> names_found(const std::string& pattern, OsError* failure = nullptr) {
    std::set<std::string> names;
    OsHandle search;
    FoundEntry entry;
    OsStatus status = find_first(pattern, search, entry);
    if (failure) *failure = status.error;
    if (!status.ok) return names;
    do {
        if (entry.name != "." && entry.name != "..") names.insert(entry.name);
    } while (find_next(search, entry).ok);
    find_close(search);
    return names;
}

TEST(PlatformFind, FindsByPatternWithAttributes) {
    ScratchDirectory scratch;
    write_bytes("KetRAV1.txt", "1");
    write_bytes("KetRAV2.txt", "2");
    write_bytes("other.log", "3");
    std::filesystem::create_directory("sub");
    write_bytes("sub/inner.txt", "4");

    EXPECT_EQ(names_found("*.*"), (std::set<std::string>{"KetRAV1.txt", "KetRAV2.txt", "other.log", "sub"}));
    EXPECT_EQ(names_found("KetRAV?.txt"), (std::set<std::string>{"KetRAV1.txt", "KetRAV2.txt"}));
    EXPECT_EQ(names_found("sub\\*.txt"), (std::set<std::string>{"inner.txt"}));
    OsError failure = 0;
    EXPECT_TRUE(names_found("*.none", &failure).empty());
    EXPECT_EQ(failure, error_file_not_found);
    EXPECT_TRUE(names_found("nodir\\*.txt", &failure).empty());
    EXPECT_EQ(failure, error_path_not_found);
    EXPECT_TRUE(names_found("missing.txt", &failure).empty());
    EXPECT_EQ(failure, error_file_not_found);

    OsHandle search;
    FoundEntry entry;
    ASSERT_TRUE(find_first("sub", search, entry).ok);
    EXPECT_EQ(entry.name, "sub");
    EXPECT_TRUE(entry.attributes & attribute_directory);
    find_close(search);

    ketrav::testing::make_read_only("other.log", true);
    ASSERT_TRUE(find_first("other.log", search, entry).ok);
    EXPECT_TRUE(entry.attributes & attribute_read_only);
    EXPECT_FALSE(entry.attributes & attribute_directory);
    find_close(search);
    ASSERT_TRUE(find_first("KetRAV1.txt", search, entry).ok);
    EXPECT_FALSE(entry.attributes & (attribute_read_only | attribute_directory | attribute_hidden));
    OsStatus after_last = find_next(search, entry);
    EXPECT_EQ(after_last.error, error_no_more_files);
    find_close(search);
}

#ifndef _WIN32
TEST(PlatformFind, DotNamesAreHiddenAndSpecialFilesInvisible) {
    ScratchDirectory scratch;
    write_bytes(".hidden", "h");
    OsHandle search;
    FoundEntry entry;
    ASSERT_TRUE(find_first(".hidden", search, entry).ok);
    EXPECT_TRUE(entry.attributes & attribute_hidden);
    find_close(search);
    std::filesystem::create_symlink("/dev/null", "device");
    EXPECT_FALSE(find_first("device", search, entry).ok);
}
#endif

// Deleting and replacing refuse alike what Windows refuses: a read-only
// file (5) and a file that an open holds, in this process or another (32).
TEST(PlatformFind, DeleteAndReplaceRefuseReadOnlyAndHeldFiles) {
    ScratchDirectory scratch;
    write_bytes("plain.txt", "p");
    write_bytes("locked.txt", "l");
    ketrav::testing::make_read_only("locked.txt", true);
    EXPECT_TRUE(delete_file("plain.txt").ok);
    EXPECT_FALSE(ketrav::testing::exists("plain.txt"));
    OsStatus refused = delete_file("locked.txt");
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error, error_access_denied);
    EXPECT_TRUE(ketrav::testing::exists("locked.txt"));
    EXPECT_EQ(delete_file("plain.txt").error, error_file_not_found);

    // A new file that is to replace one: refused where a delete is, with
    // nothing made; put in place only when completed, removed otherwise.
    OsHandle file;
    Replacement replacement;
    EXPECT_EQ(open_replacement("locked.txt", "new.txt", file, replacement).error, error_access_denied);
    EXPECT_FALSE(ketrav::testing::exists("new.txt"));
    EXPECT_EQ(read_bytes("locked.txt"), "l");

    write_bytes("held.txt", "held");
    OsHandle holder;
    ASSERT_TRUE(open_file("held.txt", FileAccess::read, holder).ok);
    EXPECT_FALSE(delete_file("held.txt").ok);
    EXPECT_EQ(open_replacement("held.txt", "new.txt", file, replacement).error, error_sharing_violation);
    close_handle(holder);
    EXPECT_EQ(read_bytes("held.txt"), "held");
    EXPECT_FALSE(ketrav::testing::exists("new.txt"));

    std::uint32_t written = 0;
    ASSERT_TRUE(open_replacement("held.txt", "new.txt", file, replacement).ok);
    ASSERT_TRUE(write_file(file, "new", 3, written).ok);
    EXPECT_EQ(read_bytes("held.txt"), "held");
    EXPECT_TRUE(complete_replacement(file, replacement).ok);
    EXPECT_EQ(read_bytes("held.txt"), "new");
    EXPECT_FALSE(ketrav::testing::exists("new.txt"));

    ASSERT_TRUE(open_replacement("held.txt", "new.txt", file, replacement).ok);
    ASSERT_TRUE(write_file(file, "part", 4, written).ok);
    EXPECT_TRUE(abandon_replacement(file, replacement).ok);
    EXPECT_EQ(read_bytes("held.txt"), "new");
    EXPECT_FALSE(ketrav::testing::exists("new.txt"));

    ASSERT_TRUE(open_replacement("fresh.txt", "new.txt", file, replacement).ok);
    ASSERT_TRUE(write_file(file, "fresh", 5, written).ok);
    EXPECT_TRUE(complete_replacement(file, replacement).ok);
    EXPECT_EQ(read_bytes("fresh.txt"), "fresh");
    EXPECT_TRUE(delete_file("held.txt").ok);
}

#ifndef _WIN32
// A symbolic link: never written through, and for a report only followed
// when it is the user's own.
TEST(PlatformFind, LinksAreNeverWrittenThroughAndOnlyOwnLinksAreFollowed) {
    namespace fs = std::filesystem;
    ScratchDirectory scratch;
    write_bytes("victim.txt", "victim");
    fs::create_symlink("victim.txt", "planted.txt");
    OsHandle handle;
    EXPECT_EQ(open_file("planted.txt", FileAccess::write, handle).error, error_access_denied);
    EXPECT_EQ(read_bytes("victim.txt"), "victim");
    // Deleting the link leaves its target.
    EXPECT_TRUE(delete_file("planted.txt").ok);
    EXPECT_EQ(read_bytes("victim.txt"), "victim");

    // The sysop's own link is followed once; the new file is made beside its
    // target, under a name of this directory's own, and leaves nothing there.
    fs::create_directory("posting");
    fs::create_symlink("posting/traffic.rpt", "own.rpt");
    auto replace = [](const std::string& name, const std::string& text) {
        OsHandle file;
        Replacement replacement;
        OsStatus opened = open_replacement(name, "new.txt", file, replacement);
        if (!opened.ok) return opened;
        std::uint32_t written = 0;
        write_file(file, text.data(), static_cast<std::uint32_t>(text.size()), written);
        return complete_replacement(file, replacement);
    };
    EXPECT_TRUE(replace("own.rpt", "first").ok);
    EXPECT_EQ(read_bytes("posting/traffic.rpt"), "first");
    EXPECT_TRUE(fs::is_symlink("own.rpt"));
    EXPECT_EQ(std::distance(fs::directory_iterator("posting"), fs::directory_iterator()), 1);

    // There the new file is for its owner alone while it is written, under
    // a name no one can foresee, a new one each time; it takes the old
    // one's mode but never its setuid, setgid or sticky bit. What a killed
    // run of this host left there goes; any other file stays and stops
    // nothing.
    ASSERT_EQ(chmod("posting/traffic.rpt", 06755), 0);
    write_bytes("posting/KetRAV-another-host.tmp", "theirs");
    std::string names[2];
    for (std::string& name : names) {
        OsHandle file;
        Replacement replacement;
        ASSERT_TRUE(open_replacement("own.rpt", "new.txt", file, replacement).ok);
        name = replacement.temporary;
        struct stat made {};
        ASSERT_EQ(stat(("posting/" + name).c_str(), &made), 0);
        EXPECT_EQ(made.st_mode & 07777, 0600u);
        EXPECT_TRUE(complete_replacement(file, replacement).ok);
        struct stat placed {};
        ASSERT_EQ(stat("posting/traffic.rpt", &placed), 0);
        EXPECT_EQ(placed.st_mode & 07777, 0755u);
        // A leftover of this host's under a name of the same kind.
        write_bytes("posting/" + name.substr(0, name.size() - 20) + "0123456789abcdef.tmp", "left");
    }
    EXPECT_NE(names[0], names[1]);
    EXPECT_TRUE(names[0].starts_with("KetRAV-") && names[0].ends_with(".tmp")) << names[0];
    // Only names of the exact shape made, and only regular files: a file of
    // the host's prefix with another middle, or a link of the shape, stays.
    const std::string prefix = "posting/" + names[0].substr(0, names[0].size() - 20);
    write_bytes(prefix + "notes.tmp", "the sysop's");
    fs::create_symlink("traffic.rpt", prefix + "00000000000000aa.tmp");
    // The prefix follows the host directory's inode and birth, never its
    // device. What release 1.0.E-4 left, named from the device and the inode,
    // goes too. One of the shape that a run holds locked stays.
    struct stat here {};
    ASSERT_EQ(stat(".", &here), 0);
    const timespec born = ketrav::platform::posix::birth_of_host(here);
    EXPECT_EQ("posting/" + ketrav::platform::posix::host_prefix(here, born), prefix);
    struct stat disk_renumbered = here, other_host = here;
    disk_renumbered.st_dev ^= 0x801;
    ++other_host.st_ino;
    EXPECT_EQ(ketrav::platform::posix::host_prefix(disk_renumbered, born), prefix.substr(8));
    EXPECT_NE(ketrav::platform::posix::host_prefix(other_host, born), prefix.substr(8));
    const std::string of_1_0_E_4 =
        "posting/" + ketrav::platform::posix::host_prefix_of_1_0_E_4(here) + "00000000deadbeef.tmp";
    write_bytes(of_1_0_E_4, "1.0.E-4");
    const std::string held = prefix + "00000000000000bb.tmp";
    write_bytes(held, "held");
    int holder = open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    EXPECT_TRUE(replace("own.rpt", "first").ok);
    EXPECT_FALSE(ketrav::testing::exists(of_1_0_E_4));
    EXPECT_EQ(read_bytes(held), "held");
    close(holder);
    fs::remove(held);
    EXPECT_EQ(read_bytes("posting/KetRAV-another-host.tmp"), "theirs");
    EXPECT_EQ(read_bytes(prefix + "notes.tmp"), "the sysop's");
    EXPECT_TRUE(fs::is_symlink(prefix + "00000000000000aa.tmp"));
    for (const std::string& kept : {prefix + "notes.tmp", prefix + "00000000000000aa.tmp"}) fs::remove(kept);
    fs::remove("posting/KetRAV-another-host.tmp");
    EXPECT_EQ(std::distance(fs::directory_iterator("posting"), fs::directory_iterator()), 1);

    // A link to a link is followed no further.
    fs::create_symlink("../victim.txt", "posting/hop.rpt");
    fs::create_symlink("posting/hop.rpt", "chain.rpt");
    EXPECT_EQ(replace("chain.rpt", "chained").error, error_access_denied);
    EXPECT_EQ(read_bytes("victim.txt"), "victim");

    if (geteuid() != 0) GTEST_SKIP() << "another user's link needs root to make";
    // Another user's link, or another user's link on the way to the target.
    ASSERT_EQ(lchown("own.rpt", 65534, 65534), 0);
    EXPECT_EQ(replace("own.rpt", "second").error, error_access_denied);
    fs::create_symlink("posting", "planted-directory");
    ASSERT_EQ(lchown("planted-directory", 65534, 65534), 0);
    fs::create_symlink("planted-directory/traffic.rpt", "via.rpt");
    EXPECT_EQ(replace("via.rpt", "third").error, error_access_denied);
    EXPECT_EQ(read_bytes("posting/traffic.rpt"), "first");

    // A file of another user's under the name of this host's leftovers
    // stays, and the run goes on under another name.
    ASSERT_EQ(lchown("own.rpt", 0, 0), 0);
    std::string planted = names[1].substr(0, names[1].size() - 20) + "fedcba9876543210.tmp";
    write_bytes("posting/" + planted, "planted");
    ASSERT_EQ(chown(("posting/" + planted).c_str(), 65534, 65534), 0);
    EXPECT_TRUE(replace("own.rpt", "fourth").ok);
    EXPECT_EQ(read_bytes("posting/" + planted), "planted");
}

// A directory on the way to the report swapped for another user's link
// just as the walk goes through it: the report never lands where the link
// leads (a root-only file there stays as it was).
int swap_at_open = 0;
OsError swap_directory_for_link(SystemCall call, std::uint32_t&) {
    namespace fs = std::filesystem;
    // Root's walk looks at "." first: the swap comes as it opens "users".
    if (call == SystemCall::file_status && swap_at_open == 0) swap_at_open = 1;
    if (call == SystemCall::open_file && swap_at_open == 1) {
        swap_at_open = 3;
        fs::rename("users", "users.real");
        fs::create_directory_symlink("secret", "users");
        if (lchown("users", 65534, 65534) != 0) return error_access_denied;
    }
    return 0;
}

TEST(PlatformFind, ADirectorySwappedForALinkUnderTheWalkIsNeverFollowed) {
    namespace fs = std::filesystem;
    ScratchDirectory scratch;
    if (geteuid() != 0) GTEST_SKIP() << "another user's directory and link need root to make";
    fs::create_directory("users");
    write_bytes("users/traffic.rpt", "posted");
    fs::create_directory("secret");
    write_bytes("secret/traffic.rpt", "root's");
    fs::create_symlink("users/traffic.rpt", "KetRAV.Rpt");
    for (SystemCall call : {SystemCall::file_status, SystemCall::open_file})
        swap_call_hook(call, swap_directory_for_link);
    OsHandle file;
    Replacement replacement;
    OsStatus opened = open_replacement("KetRAV.Rpt", "new.txt", file, replacement);
    reset_call_hooks();
    EXPECT_EQ(swap_at_open, 3);
    if (opened.ok) {
        std::uint32_t written = 0;
        write_file(file, "report", 6, written);
        complete_replacement(file, replacement);
    }
    EXPECT_EQ(read_bytes("secret/traffic.rpt"), "root's");
    EXPECT_EQ(std::distance(fs::directory_iterator("secret"), fs::directory_iterator()), 1);
}

// A posting pipe's reader that holds it open and takes nothing, or takes a
// byte now and then, is given up at the delivery's deadline, whether the
// pipe is full or holds the rest; one that takes every byte and closes
// gives success however soon.
TEST(PlatformFind, AStreamReaderIsGivenUpAtTheDeadline) {
    using std::chrono::milliseconds;
    auto soon = [] { return std::chrono::steady_clock::now() + milliseconds(200); };
    ScratchDirectory scratch;
    ASSERT_EQ(mkfifo("posting", 0600), 0);
    int reader = open("posting", O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    OsHandle stream;
    bool is_stream = false;
    ASSERT_TRUE(open_stream_target("posting", stream, is_stream).ok);
    ASSERT_TRUE(is_stream);
    std::string report(200000, 'r');
    EXPECT_EQ(write_to_stream(stream, report.data(), report.size(), soon()).error, error_sem_timeout);
    EXPECT_EQ(wait_until_taken(stream, soon()).error, error_sem_timeout);
    // A page taken every 10 ms while the run writes, then a byte every 10
    // ms while it waits, and everything after 5 s: each one is progress,
    // yet the deadline holds (were the wait counted from the last progress,
    // the write would end whole, and the wait too, once all was taken).
    std::atomic<int> taking{4096};
    std::atomic<bool> stop{false};
    std::thread trickle([&] {
        char taken[4096];
        for (int turn = 0; !stop; ++turn) {
            if (turn == 500) taking = sizeof taken;
            if (read(reader, taken, static_cast<std::size_t>(taking.load())) < 0 && errno != EAGAIN) break;
            std::this_thread::sleep_for(milliseconds(10));
        }
    });
    EXPECT_EQ(write_to_stream(stream, report.data(), report.size(), soon()).error, error_sem_timeout);
    taking = 1;
    EXPECT_EQ(wait_until_taken(stream, soon()).error, error_sem_timeout);
    stop = true;
    trickle.join();
    // Every byte taken, then the reader gone: whole.
    char taken[65536];
    while (read(reader, taken, sizeof taken) > 0) {
    }
    close(reader);
    EXPECT_TRUE(wait_until_taken(stream, soon()).ok);
    close_handle(stream);
}
#endif

// The claim on a directory: one holder at a time, free again once ended,
// and its lock file gone with it.
TEST(PlatformFind, OneClaimOnADirectoryAtATime) {
    ScratchDirectory scratch;
    OsHandle first, second;
    ASSERT_TRUE(claim_current_directory("run.lck", first).ok);
    EXPECT_EQ(claim_current_directory("run.lck", second).error, error_sharing_violation);
    EXPECT_TRUE(release_directory_claim(first).ok);
    EXPECT_FALSE(ketrav::testing::exists("run.lck"));
    ASSERT_TRUE(claim_current_directory("run.lck", second).ok);
    EXPECT_TRUE(release_directory_claim(second).ok);
}

}  // namespace
