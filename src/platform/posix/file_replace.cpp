// POSIX backend of file_replace.h: every step made through descriptors held
// from the walk on (openat, renameat), so that the file checked is the file
// used, and the new report built whole in a file no one else can name in
// advance or read before it is in place.
#include "platform/file_replace.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/xattr.h>
#endif

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/posix/acting_user.h"
#include "platform/posix/errno_mapping.h"
#include "platform/posix/file_io.h"
#include "platform/posix/path_walk.h"
#include "platform/posix/paths.h"
#include "platform/posix/root_rule.h"
#include "platform/posix/system_calls.h"
#include "platform/secret_number.h"

namespace ketrav::platform {
namespace {

using posix::Descriptor;
using posix::same_file;

// New names asked for before the run gives up: another file under each.
constexpr int temporary_attempts = 16;

// The start of every temporary a host directory's runs make outside it:
// the same for every run of one host, so the next run finds what a killed
// one left, and different between hosts posting into one directory. The
// host is known by its inode and its birth time, which a reboot keeps (a
// device number may not: a disk can come back under another), never by
// its device.
std::string host_prefix(const struct stat& host) {
    std::uint64_t born_seconds = 0, born_nanoseconds = 0;
#ifdef STATX_BTIME
    struct statx birth {};
    if (statx(AT_FDCWD, ".", 0, STATX_BTIME | STATX_INO, &birth) == 0 && (birth.stx_mask & STATX_BTIME) &&
        birth.stx_ino == host.st_ino) {
        born_seconds = static_cast<std::uint64_t>(birth.stx_btime.tv_sec);
        born_nanoseconds = birth.stx_btime.tv_nsec;
    }
#endif
    std::uint64_t hash = 14695981039346656037ull;
    for (std::uint64_t part : {static_cast<std::uint64_t>(host.st_ino), born_seconds, born_nanoseconds})
        for (int shift = 0; shift < 64; shift += 8) hash = (hash ^ ((part >> shift) & 0xFF)) * 1099511628211ull;
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "KetRAV-%016llx-", static_cast<unsigned long long>(hash));
    return prefix;
}

std::string unforeseeable_name(const std::string& prefix) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%016llx.tmp", prefix.c_str(), static_cast<unsigned long long>(secret_number()));
    return name;
}

// Whether `name` is one unforeseeable_name gives after `prefix`: the
// prefix, 16 lower-case hexadecimal digits, ".tmp", and nothing else.
bool is_generated_name(const std::string& name, const std::string& prefix) {
    constexpr std::size_t digits = 16;
    if (name.size() != prefix.size() + digits + 4 || !name.starts_with(prefix) || !name.ends_with(".tmp")) return false;
    for (std::size_t at = prefix.size(); at < prefix.size() + digits; ++at)
        if (!std::isdigit(static_cast<unsigned char>(name[at])) && (name[at] < 'a' || name[at] > 'f')) return false;
    return true;
}

// Removes what killed runs of this host left in `directory`: names of the
// shape this host's runs make, and only regular files of this user's that
// no run holds (a run holds its temporary locked until it is in place, so
// another host whose name happens to match loses nothing). A directory
// that cannot be listed keeps them; no run ever takes one for its own.
void remove_leftovers_of_host(int directory, const std::string& prefix, uid_t user) {
    int listed = posix::sys_openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (listed < 0) return;
    DIR* listing = posix::sys_fdopendir(listed);
    if (!listing) {
        posix::sys_close(listed);
        return;
    }
    std::vector<std::string> leftovers;
    while (dirent* entry = posix::sys_readdir(listing)) {
        std::string name = entry->d_name;
        if (is_generated_name(name, prefix)) leftovers.push_back(name);
    }
    posix::sys_closedir(listing);
    for (const std::string& name : leftovers) {
        struct stat info {};
        if (posix::sys_fstatat(directory, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || info.st_uid != user ||
            !S_ISREG(info.st_mode))
            continue;
        Descriptor leftover(
            posix::sys_openat(directory, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0));
        if (leftover.get() >= 0 && posix::sys_flock(leftover.get(), LOCK_EX | LOCK_NB) == 0)
            posix::sys_unlinkat(directory, name.c_str());
    }
}

// Creates the new file, for its owner alone until it is in place, under
// `fixed` when given (what a killed run left there goes first), else under
// a new unforeseeable name for each attempt.
OsStatus create_temporary(int directory, const std::string& fixed, const std::string& prefix, Descriptor& made,
                          std::string& name) {
    if (!fixed.empty() && posix::sys_unlinkat(directory, fixed.c_str()) != 0 && errno != ENOENT)
        return posix::errno_status();
    for (int attempt = 0; attempt < temporary_attempts; ++attempt) {
        name = fixed.empty() ? unforeseeable_name(prefix) : fixed;
        made.reset(
            posix::sys_openat(directory, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (made.get() >= 0) break;
        if (errno != EEXIST || !fixed.empty()) return posix::errno_status();
    }
    if (made.get() < 0) return OsStatus::failure(error_file_exists);
    if (posix::sys_flock(made.get(), LOCK_EX | LOCK_NB) != 0) {
        OsStatus status = posix::errno_status();
        posix::sys_unlinkat(directory, name.c_str());
        made.reset(-1);
        return status;
    }
    return OsStatus::success();
}

// Copies the old file's extended attributes (ACLs among them) where the
// system has them; those this user may not set are left out.
void copy_extended_attributes([[maybe_unused]] int from, [[maybe_unused]] int to) {
#ifdef __linux__
    if (from < 0) return;
    ssize_t size = flistxattr(from, nullptr, 0);
    if (size <= 0) return;
    std::vector<char> names(static_cast<std::size_t>(size));
    size = flistxattr(from, names.data(), names.size());
    for (ssize_t at = 0; size > 0 && at < size;) {
        const char* name = names.data() + at;
        at += static_cast<ssize_t>(std::strlen(name)) + 1;
        ssize_t length = fgetxattr(from, name, nullptr, 0);
        if (length < 0) continue;
        std::vector<char> value(static_cast<std::size_t>(length) + 1);
        length = fgetxattr(from, name, value.data(), value.size());
        if (length >= 0) fsetxattr(to, name, value.data(), static_cast<std::size_t>(length), 0);
    }
#endif
}

// The old file's settings on the new one: owner and group where this user
// may give them (else the group alone; a group this user cannot give gets
// no access through the new file, which is then in this user's group), then
// the mode without the setuid, setgid and sticky bits, then the extended
// attributes, which an ACL would otherwise lose to the mode. Without an old
// file, the mode a file newly made here would have.
OsStatus copy_settings(int from, const struct stat* old, int to) {
    if (!old) {
        mode_t mask = posix::with_umask(0, [] {});
        return posix::sys_fchmod(to, 0666 & ~mask) == 0 ? OsStatus::success() : posix::errno_status();
    }
    mode_t mode = old->st_mode & 0777;
    if (posix::sys_fchown(to, old->st_uid, old->st_gid) != 0) {
        if (errno != EPERM) return posix::errno_status();
        if (posix::sys_fchown(to, static_cast<uid_t>(-1), old->st_gid) != 0) mode &= ~static_cast<mode_t>(S_IRWXG);
    }
    if (posix::sys_fchmod(to, mode) != 0) return posix::errno_status();
    copy_extended_attributes(from, to);
    // An access list copied would give the group class its old rights
    // again: the mode once more sets its mask to nothing.
    if (mode != (old->st_mode & 0777) && posix::sys_fchmod(to, mode) != 0) return posix::errno_status();
    return OsStatus::success();
}

uid_t acting_user_of(const Replacement& replacement) {
    return replacement.acting_for >= 0 ? static_cast<uid_t>(replacement.acting_for) : posix::run_user();
}

void end_replacement(Replacement& replacement) {
    for (OsHandle* handle : {&replacement.old_file, &replacement.directory}) {
        if (handle->valid()) posix::sys_close(static_cast<int>(handle->value));
        *handle = OsHandle{};
    }
}

// Finds the target `name` reaches: its directory held in `directory`, its
// last name in `target`, what is there now in `old` (`exists` false when
// nothing is), and whose rights the way there is taken with (`way`). A
// link the way may follow is followed this once.
OsStatus find_target(const std::string& name, Descriptor& directory, std::string& target, struct stat& old,
                     bool& exists, posix::Way& way) {
    exists = false;
    std::string path = posix::native_path(name);
    if (path.empty()) return OsStatus::failure(error_path_not_found);
    OsStatus walked = posix::walk_to_parent(AT_FDCWD, path, directory, target, way);
    for (int hop = 0; walked.ok; ++hop) {
        if (target.empty() || target == "." || target == "..") return OsStatus::failure(error_access_denied);
        Descriptor seen;
        exists = posix::as_user(
            way.controller,
            [&] {
#ifdef O_PATH
                seen.reset(posix::sys_openat(directory.get(), target.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC, 0));
                return seen.get() >= 0 && posix::sys_fstat(seen.get(), &old) == 0;
#else
                return posix::sys_fstatat(directory.get(), target.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
#endif
            },
            false);
        if (!exists && errno != ENOENT) return posix::errno_status();
        // The new file is made and renamed in the directory; what is there
        // is written over: both as the way allows.
        struct stat there {};
        if (posix::sys_fstat(directory.get(), &there) != 0) return posix::errno_status();
        OsStatus taken = posix::take_part(there, directory.get(), posix::PartRole::make_in, way.controller);
        if (taken.ok && exists && !S_ISLNK(old.st_mode))
            taken = posix::take_part(old, seen.get(), posix::PartRole::use, way.controller);
        if (!taken.ok) return taken;
        if (!exists || !S_ISLNK(old.st_mode)) return OsStatus::success();
        // The sysop's own link to a posting directory; a link to a link is
        // followed no further.
        if (hop > 0) return OsStatus::failure(error_access_denied);
        std::string text;
        OsStatus read = posix::read_link_on_way(directory.get(), target, text, way);
        if (!read.ok) return read;
        if (text.empty()) return OsStatus::failure(error_access_denied);
        Descriptor link_directory(directory.take());
        walked = posix::walk_to_parent(link_directory.get(), text, directory, target, way);
    }
    return walked;
}

// Whether the target is one of the run's own files in the host directory,
// by name (whatever the letter case, as some file systems ignore it) or,
// when it exists, by identity.
bool is_run_file(int host, bool in_host, const std::string& target, const struct stat* old,
                 const std::vector<std::string>& run_files) {
    auto same_name = [](const std::string& a, const std::string& b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
               });
    };
    for (const std::string& run_file : run_files) {
        if (in_host && same_name(target, run_file)) return true;
        struct stat info {};
        if (old && posix::sys_fstatat(host, run_file.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && same_file(info, *old))
            return true;
    }
    return false;
}

// The host directory in `here`, and whether the target's `directory` is
// it (`local`); refused (5) when the target is one of the run's own files:
// a link that leads onto one would have the report renamed onto it, and
// then removed with it.
OsStatus refuse_run_files(int directory, const std::string& target, const struct stat* old,
                          const std::string& local_temporary, const std::vector<std::string>& run_files,
                          struct stat& here, bool& local) {
    Descriptor host(posix::open_directory_itself(AT_FDCWD, "."));
    struct stat there {};
    if (host.get() < 0 || posix::sys_fstat(host.get(), &here) != 0 || posix::sys_fstat(directory, &there) != 0)
        return posix::errno_status();
    local = same_file(here, there);
    std::vector<std::string> own = run_files;
    own.push_back(local_temporary);
    if (is_run_file(host.get(), local, target, old, own)) return OsStatus::failure(error_access_denied);
    return OsStatus::success();
}

// The time a stream's reader is given to take something, from its last
// progress, measured on a clock no change of the date moves.
class StreamPatience {
   public:
    explicit StreamPatience(int patience_ms) : patience_(patience_ms) { renew(); }
    void renew() { since_ = std::chrono::steady_clock::now(); }
    int left_ms() const {
        auto spent = std::chrono::steady_clock::now() - since_;
        return patience_ - static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(spent).count());
    }
    bool over() const { return left_ms() <= 0; }
    // A wait within what is left, never so long that a stop goes unseen.
    int poll_ms() const { return std::clamp(left_ms(), 1, 1000); }

   private:
    int patience_;
    std::chrono::steady_clock::time_point since_;
};

}  // namespace

OsStatus check_replacement_target(const std::string& name, const std::string& local_temporary,
                                  const std::vector<std::string>& run_files) {
    Descriptor directory;
    std::string target;
    struct stat old {
    }, here{};
    bool exists = false, local = false;
    posix::Way way;
    OsStatus found = find_target(name, directory, target, old, exists, way);
    if (!found.ok) return found;
    return refuse_run_files(directory.get(), target, exists ? &old : nullptr, local_temporary, run_files, here, local);
}

OsStatus open_replacement(const std::string& name, const std::string& local_temporary, OsHandle& file,
                          Replacement& replacement, const std::vector<std::string>& run_files) {
    file = OsHandle{};
    replacement = Replacement{};
    Descriptor directory;
    std::string target;
    struct stat old {};
    bool exists = false;
    posix::Way way;
    OsStatus found = find_target(name, directory, target, old, exists, way);
    if (!found.ok) return found;
    // A directory, a FIFO or a device is no file to replace (a stream is
    // opened at the start, by open_stream_target).
    if (exists && !S_ISREG(old.st_mode)) return OsStatus::failure(error_access_denied);

    struct stat here {};
    bool local = false;
    OsStatus allowed =
        refuse_run_files(directory.get(), target, exists ? &old : nullptr, local_temporary, run_files, here, local);
    if (!allowed.ok) return allowed;

    // Every step in the target's directory is taken with the rights of the
    // way's user.
    posix::ActingAs as(way.controller);
    if (!as.ok) return OsStatus::failure(error_access_denied);
    Descriptor held;
    if (exists) {
        // Windows refuses to replace a read-only file, or one an open holds.
        if (!(old.st_mode & S_IWUSR)) return OsStatus::failure(error_access_denied);
        held.reset(
            posix::sys_openat(directory.get(), target.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0));
        if (held.get() >= 0 && posix::sys_flock(held.get(), LOCK_EX | LOCK_NB) != 0) return posix::errno_status();
    }

    std::string prefix = host_prefix(here);
    if (!local) remove_leftovers_of_host(directory.get(), prefix, way.controller);
    Descriptor made;
    std::string temporary;
    OsStatus created =
        create_temporary(directory.get(), local ? local_temporary : std::string(), prefix, made, temporary);
    if (!created.ok) return created;
    replacement.directory.value = directory.take();
    replacement.old_file.value = held.take();
    if (way.controller != posix::run_user()) replacement.acting_for = way.controller;
    replacement.target = target;
    replacement.temporary = temporary;
    file.value = made.take();
    posix::note_open_file(static_cast<int>(file.value));
    return OsStatus::success();
}

OsStatus complete_replacement(OsHandle file, Replacement& replacement) {
    posix::ActingAs as(acting_user_of(replacement));
    if (!as.ok) {
        abandon_replacement(file, replacement);
        return OsStatus::failure(error_access_denied);
    }
    int fd = static_cast<int>(file.value);
    int directory = static_cast<int>(replacement.directory.value);
    int old_file = static_cast<int>(replacement.old_file.value);
    // The settings of the old file held, or of one that came since, go onto
    // the new one before its data is forced, so that what the rename puts
    // in place after a power cut has them too.
    struct stat old {};
    bool exists = replacement.old_file.valid()
                      ? posix::sys_fstat(old_file, &old) == 0
                      : posix::sys_fstatat(directory, replacement.target.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 &&
                            S_ISREG(old.st_mode);
    OsStatus status = copy_settings(old_file, exists ? &old : nullptr, fd);
    if (status.ok && posix::sys_fsync(fd) != 0) status = posix::errno_status();
    if (status.ok &&
        posix::sys_renameat(directory, replacement.temporary.c_str(), directory, replacement.target.c_str()) != 0)
        status = posix::errno_status();
    if (!status.ok) {
        abandon_replacement(file, replacement);
        return status;
    }
    // The rename itself on disk before the run may say the report is there.
    // A directory opened only to name files in (one that cannot be listed)
    // cannot be forced itself: its whole file system is, through the new
    // file. Should neither be forced, the run says so, though the new
    // report is in place.
    OsStatus forced = OsStatus::success();
    if (posix::sys_fsync(directory) != 0 && posix::sys_syncfs(fd) != 0) forced = posix::errno_status();
    // The new file is on disk and in place: a failed close loses nothing.
    close_handle(file);
    end_replacement(replacement);
    return forced;
}

OsStatus abandon_replacement(OsHandle file, Replacement& replacement) {
    posix::ActingAs as(acting_user_of(replacement));
    OsStatus status = OsStatus::success();
    if (replacement.directory.valid() &&
        posix::sys_unlinkat(static_cast<int>(replacement.directory.value), replacement.temporary.c_str()) != 0)
        status = posix::errno_status();
    OsStatus closed = close_handle(file);
    end_replacement(replacement);
    return status.ok ? closed : status;
}

OsStatus open_stream_target(const std::string& name, OsHandle& stream, bool& is_stream) {
    stream = OsHandle{};
    is_stream = false;
    Descriptor directory;
    std::string target;
    struct stat old {};
    bool exists = false;
    posix::Way way;
    OsStatus found = find_target(name, directory, target, old, exists, way);
    if (!found.ok || !exists || S_ISREG(old.st_mode) || S_ISDIR(old.st_mode)) return found;
    posix::ActingAs as(way.controller);
    if (!as.ok) return OsStatus::failure(error_access_denied);
    // Opened without waiting for a reader: with none there, the open fails
    // at once. It stays so: write_to_stream waits for room itself, within
    // a bound, so that a reader that never reads cannot hold the run.
    Descriptor held(
        posix::sys_openat(directory.get(), target.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0));
    if (held.get() < 0) return posix::errno_status();
    if (posix::sys_flock(held.get(), LOCK_EX | LOCK_NB) != 0) return posix::errno_status();
    stream.value = held.take();
    posix::note_open_file(static_cast<int>(stream.value));
    is_stream = true;
    return OsStatus::success();
}

OsStatus write_to_stream(OsHandle stream, const char* data, std::size_t size, int patience_ms) {
    int fd = static_cast<int>(stream.value);
    StreamPatience patience(patience_ms);
    while (size > 0) {
        ssize_t put = posix::sys_write(fd, data, size);
        if (put > 0) {
            data += put;
            size -= static_cast<std::size_t>(put);
            patience.renew();
            continue;
        }
        if (put < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) return posix::errno_status();
        if (patience.over()) return OsStatus::failure(error_sem_timeout);
        // Room in the pipe, or its reader gone (then the write says so).
        pollfd room{fd, POLLOUT, 0};
        poll(&room, 1, patience.poll_ms());
    }
    return OsStatus::success();
}

OsStatus wait_until_taken(OsHandle stream, int patience_ms) {
    int fd = static_cast<int>(stream.value);
    struct stat info {};
    if (posix::sys_fstat(fd, &info) != 0) return posix::errno_status();
    // A device takes what is written as it is written.
    if (!S_ISFIFO(info.st_mode)) return OsStatus::success();
    StreamPatience patience(patience_ms);
    for (int before = -1;;) {
        int unread = 0;
        if (posix::sys_unread_bytes(fd, unread) != 0) return posix::errno_status();
        if (unread == 0) return OsStatus::success();
        if (before < 0 || unread < before) patience.renew();
        before = unread;
        if (patience.over()) return OsStatus::failure(error_sem_timeout);
        pollfd ends{fd, 0, 0};
        if (poll(&ends, 1, std::min(20, patience.poll_ms())) > 0 && (ends.revents & POLLERR)) {
            // The reader has closed: whole when it took every byte first.
            if (posix::sys_unread_bytes(fd, unread) != 0) return posix::errno_status();
            return unread == 0 ? OsStatus::success() : OsStatus::failure(error_gen_failure);
        }
    }
}

}  // namespace ketrav::platform
