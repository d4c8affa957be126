// POSIX backend of file_replace.h: every step made through descriptors held
// from the walk on (openat, renameat), so that the file checked is the file
// used, and the new report built whole in a file no one else can name in
// advance or read before it is in place.
#include "platform/file_replace.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/xattr.h>
#endif

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/posix/acting_user.h"
#include "platform/posix/durable_rename.h"
#include "platform/posix/errno_mapping.h"
#include "platform/posix/file_io.h"
#include "platform/posix/leftover_temporaries.h"
#include "platform/posix/path_walk.h"
#include "platform/posix/replacement_target.h"
#include "platform/posix/system_calls.h"

namespace ketrav::platform {
namespace {

using posix::Descriptor;
using posix::same_file;

// New names asked for before the run gives up: another file under each.
constexpr int temporary_attempts = 16;

// Creates the new file, for its owner alone until it is in place, under
// `fixed` when given (what a killed run left there goes first), else under
// a new unforeseeable name for each attempt.
OsStatus create_temporary(int directory, const std::string& fixed, const std::string& prefix, Descriptor& made,
                          std::string& name) {
    if (!fixed.empty() && posix::sys_unlinkat(directory, fixed.c_str()) != 0 && errno != ENOENT)
        return posix::errno_status();
    for (int attempt = 0; attempt < temporary_attempts; ++attempt) {
        name = fixed;
        if (fixed.empty()) {
            OsStatus named = posix::unforeseeable_name(prefix, name);
            if (!named.ok) return named;
        }
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

}  // namespace

OsStatus check_replacement_target(const std::string& name, const std::string& local_temporary,
                                  const std::vector<std::string>& run_files) {
    Descriptor directory;
    std::string target;
    struct stat old {
    }, here{};
    bool exists = false, local = false;
    posix::Way way;
    OsStatus found = posix::find_target(name, directory, target, old, exists, way);
    if (!found.ok) return found;
    return posix::refuse_run_files(directory.get(), target, exists ? &old : nullptr, local_temporary, run_files, here, local);
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
    OsStatus found = posix::find_target(name, directory, target, old, exists, way);
    if (!found.ok) return found;
    // A directory, a FIFO or a device is no file to replace (a stream is
    // opened at the start, by open_stream_target).
    if (exists && !S_ISREG(old.st_mode)) return OsStatus::failure(error_access_denied);

    struct stat here {};
    bool local = false;
    OsStatus allowed =
        posix::refuse_run_files(directory.get(), target, exists ? &old : nullptr, local_temporary, run_files, here, local);
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

    std::string prefix = posix::host_prefix(here, posix::birth_of_host(here));
    if (!local) posix::remove_leftovers_of_host(directory.get(), prefix, here, way.controller);
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
    bool moved = false;
    if (status.ok)
        status = posix::rename_durably(fd, directory, replacement.temporary, replacement.target, moved);
    if (!moved) {
        abandon_replacement(file, replacement);
        return status;
    }
    // The new file is in place: a failed close loses nothing.
    close_handle(file);
    end_replacement(replacement);
    return status;
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

}  // namespace ketrav::platform
