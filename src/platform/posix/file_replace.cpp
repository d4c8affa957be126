// POSIX backend of file_replace.h: every step made through descriptors held
// from the walk on (openat, renameat), so that the file checked is the file
// used, and the new report built whole in a file no one else can name in
// advance or read before it is in place.
#include "platform/file_replace.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/xattr.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/posix/errno_mapping.h"
#include "platform/posix/file_io.h"
#include "platform/posix/path_walk.h"
#include "platform/posix/paths.h"
#include "platform/posix/system_calls.h"

namespace ketrav::platform {
namespace {

using posix::Descriptor;

// New names asked for before the run gives up: another file under each.
constexpr int temporary_attempts = 16;

bool same_file(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The start of every temporary a host directory's runs make outside it:
// the same for every run of one host, so the next run finds what a killed
// one left, and different between hosts posting into one directory.
std::string host_prefix(const struct stat& host) {
    std::uint64_t hash = 14695981039346656037ull;
    for (std::uint64_t part : {static_cast<std::uint64_t>(host.st_dev), static_cast<std::uint64_t>(host.st_ino)})
        for (int shift = 0; shift < 64; shift += 8) hash = (hash ^ ((part >> shift) & 0xFF)) * 1099511628211ull;
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "KetRAV-%016llx-", static_cast<unsigned long long>(hash));
    return prefix;
}

// 64 bits no other user can foresee: the system's random source, or where
// it gives none, the clock, the process and a count mixed.
std::uint64_t unforeseeable_number() {
    static std::uint64_t count = 0;
    std::uint64_t number = 0;
    if (getrandom(&number, sizeof number, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof number)) return number;
    number = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
             (static_cast<std::uint64_t>(getpid()) << 32) ^ ++count * 0x9E3779B97F4A7C15ull;
    number ^= number >> 31;
    return number * 0xBF58476D1CE4E5B9ull;
}

std::string unforeseeable_name(const std::string& prefix) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%016llx.tmp", prefix.c_str(),
                  static_cast<unsigned long long>(unforeseeable_number()));
    return name;
}

// Removes what killed runs of this host left in `directory`: names of the
// host's own, and only files of this user's. A directory that cannot be
// listed keeps them; no run ever takes one for its own.
void remove_leftovers_of_host(int directory, const std::string& prefix) {
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
        if (name.size() > prefix.size() + 4 && name.starts_with(prefix) && name.ends_with(".tmp"))
            leftovers.push_back(name);
    }
    posix::sys_closedir(listing);
    for (const std::string& name : leftovers) {
        struct stat info {};
        if (posix::sys_fstatat(directory, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && info.st_uid == geteuid() &&
            (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)))
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
// may give them (else the group alone), then the mode without the setuid,
// setgid and sticky bits, then the extended attributes, which an ACL would
// otherwise lose to the mode. Without an old file, the mode a file newly
// made here would have.
OsStatus copy_settings(int from, const struct stat* old, int to) {
    if (!old) {
        mode_t mask = umask(0);
        umask(mask);
        return posix::sys_fchmod(to, 0666 & ~mask) == 0 ? OsStatus::success() : posix::errno_status();
    }
    if (posix::sys_fchown(to, old->st_uid, old->st_gid) != 0) {
        if (errno != EPERM) return posix::errno_status();
        posix::sys_fchown(to, static_cast<uid_t>(-1), old->st_gid);
    }
    if (posix::sys_fchmod(to, old->st_mode & 0777) != 0) return posix::errno_status();
    copy_extended_attributes(from, to);
    return OsStatus::success();
}

// Gives the whole new file, from its start, to the target open for writing:
// a posting pipe or a device gets a report only once it is whole.
OsStatus copy_into(int from, int to) {
    static char buffer[65536];
    for (off_t offset = 0;;) {
        ssize_t got = posix::sys_pread(from, buffer, sizeof buffer, offset);
        if (got < 0) return posix::errno_status();
        if (got == 0) return OsStatus::success();
        offset += got;
        for (ssize_t put = 0; put < got;) {
            ssize_t wrote = posix::sys_write(to, buffer + put, static_cast<std::size_t>(got - put));
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote <= 0) return wrote < 0 ? posix::errno_status() : OsStatus::failure(error_gen_failure);
            put += wrote;
        }
    }
}

void end_replacement(Replacement& replacement) {
    for (OsHandle* handle : {&replacement.old_file, &replacement.directory}) {
        if (handle->valid()) posix::sys_close(static_cast<int>(handle->value));
        *handle = OsHandle{};
    }
}

// Finds the target `name` reaches: its directory held in `directory`, its
// last name in `target`, what is there now in `old` (`exists` false when
// nothing is). A link of this user's or root's is followed this once.
OsStatus find_target(const std::string& name, Descriptor& directory, std::string& target, struct stat& old,
                     bool& exists) {
    int links_left = posix::most_links_followed;
    OsStatus walked = posix::walk_to_parent(AT_FDCWD, name, directory, target, links_left);
    for (int hop = 0; walked.ok; ++hop) {
        if (target.empty() || target == "." || target == "..") return OsStatus::failure(error_access_denied);
        exists = posix::sys_fstatat(directory.get(), target.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
        if (!exists && errno != ENOENT) return posix::errno_status();
        if (!exists || !S_ISLNK(old.st_mode)) return OsStatus::success();
        // The sysop's own link to a posting directory; a link to a link is
        // followed no further.
        if (hop > 0) return OsStatus::failure(error_access_denied);
        std::string text;
        OsStatus read = posix::read_own_link(directory.get(), target, text);
        if (!read.ok) return read;
        if (text.empty()) return OsStatus::failure(error_access_denied);
        Descriptor link_directory(directory.take());
        walked = posix::walk_to_parent(link_directory.get(), text, directory, target, links_left);
    }
    return walked;
}

}  // namespace

OsStatus open_replacement(const std::string& name, const std::string& local_temporary, OsHandle& file,
                          Replacement& replacement) {
    file = OsHandle{};
    replacement = Replacement{};
    std::string path = posix::native_path(name);
    if (path.empty()) return OsStatus::failure(error_path_not_found);
    Descriptor directory;
    std::string target;
    struct stat old {};
    bool exists = false;
    OsStatus found = find_target(path, directory, target, old, exists);
    if (!found.ok) return found;
    if (exists && S_ISDIR(old.st_mode)) return OsStatus::failure(error_access_denied);

    Descriptor held;
    bool in_place = exists && !S_ISREG(old.st_mode);
    if (in_place) {
        // A FIFO or a device: opened now without waiting for a reader, so
        // that a run with no one to post to stops before it sorts; once
        // there is a reader, a report longer than the pipe holds waits for
        // it as any writer would.
        held.reset(
            posix::sys_openat(directory.get(), target.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0));
        if (held.get() < 0) return posix::errno_status();
        if (posix::sys_flock(held.get(), LOCK_EX | LOCK_NB) != 0 || posix::sys_make_blocking(held.get()) != 0)
            return posix::errno_status();
    } else if (exists) {
        // Windows refuses to replace a read-only file, or one an open holds.
        if (!(old.st_mode & S_IWUSR)) return OsStatus::failure(error_access_denied);
        held.reset(
            posix::sys_openat(directory.get(), target.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0));
        if (held.get() >= 0 && posix::sys_flock(held.get(), LOCK_EX | LOCK_NB) != 0) return posix::errno_status();
    }

    // The new file is made beside its target, to be renamed there; for a
    // target written into, in the host directory itself.
    Descriptor host(posix::sys_openat(AT_FDCWD, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
#ifdef O_PATH
    if (host.get() < 0 && errno == EACCES)
        host.reset(posix::sys_openat(AT_FDCWD, ".", O_PATH | O_DIRECTORY | O_CLOEXEC, 0));
#endif
    struct stat here {
    }, there{};
    if (host.get() < 0 || posix::sys_fstat(host.get(), &here) != 0 || posix::sys_fstat(directory.get(), &there) != 0)
        return posix::errno_status();
    if (in_place) directory.reset(host.take());
    bool local = in_place || same_file(here, there);
    std::string prefix = host_prefix(here);
    if (!local) remove_leftovers_of_host(directory.get(), prefix);
    Descriptor made;
    std::string temporary;
    OsStatus created =
        create_temporary(directory.get(), local ? local_temporary : std::string(), prefix, made, temporary);
    if (!created.ok) return created;
    replacement.directory.value = directory.take();
    replacement.old_file.value = held.take();
    replacement.target = target;
    replacement.temporary = temporary;
    replacement.in_place = in_place;
    file.value = made.take();
    posix::note_open_file(static_cast<int>(file.value));
    return OsStatus::success();
}

OsStatus complete_replacement(OsHandle file, Replacement& replacement) {
    int fd = static_cast<int>(file.value);
    int directory = static_cast<int>(replacement.directory.value);
    int old_file = static_cast<int>(replacement.old_file.value);
    OsStatus status = OsStatus::success();
    if (replacement.in_place) {
        status = copy_into(fd, old_file);
    } else {
        status = posix::sys_fsync(fd) == 0 ? OsStatus::success() : posix::errno_status();
        // The settings of the old file held, or of one that came since.
        struct stat old {};
        bool exists = replacement.old_file.valid()
                          ? posix::sys_fstat(old_file, &old) == 0
                          : posix::sys_fstatat(directory, replacement.target.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 &&
                                S_ISREG(old.st_mode);
        if (status.ok) status = copy_settings(old_file, exists ? &old : nullptr, fd);
        if (status.ok &&
            posix::sys_renameat(directory, replacement.temporary.c_str(), directory, replacement.target.c_str()) != 0)
            status = posix::errno_status();
    }
    if (!status.ok || replacement.in_place) {
        OsStatus abandoned = abandon_replacement(file, replacement);
        return status.ok ? abandoned : status;
    }
    // The rename itself on disk; a directory opened only to name files in
    // cannot be flushed, and the report is in place either way.
    posix::sys_fsync(directory);
    // The new file is on disk and in place: a failed close loses nothing.
    close_handle(file);
    end_replacement(replacement);
    return OsStatus::success();
}

OsStatus abandon_replacement(OsHandle file, Replacement& replacement) {
    OsStatus status = OsStatus::success();
    if (replacement.directory.valid() &&
        posix::sys_unlinkat(static_cast<int>(replacement.directory.value), replacement.temporary.c_str()) != 0)
        status = posix::errno_status();
    OsStatus closed = close_handle(file);
    end_replacement(replacement);
    return status.ok ? closed : status;
}

}  // namespace ketrav::platform
