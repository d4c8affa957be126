// POSIX backend of file_replace.h: every step made in the target's directory
// held open (openat, renameat), so that the file checked is the file used.
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
#include <vector>

#include "platform/posix/errno_mapping.h"
#include "platform/posix/file_io.h"
#include "platform/posix/paths.h"
#include "platform/posix/system_calls.h"

namespace ketrav::platform {
namespace {

// A descriptor closed when the object ends, unless taken.
class Descriptor {
   public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) posix::sys_close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd) {
        if (fd_ >= 0) posix::sys_close(fd_);
        fd_ = fd;
    }
    int take() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

   private:
    int fd_;
};

bool owned_by_user_or_root(const struct stat& info) { return info.st_uid == geteuid() || info.st_uid == 0; }

// Opens a directory to work in: for reading where this user may list it,
// else (a directory of mode 0333) only as a place to name files in.
int open_directory(int at, const char* name) {
    int fd = posix::sys_openat(at, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
#ifdef O_PATH
    if (fd < 0 && errno == EACCES) fd = posix::sys_openat(at, name, O_PATH | O_DIRECTORY | O_CLOEXEC, 0);
#endif
    return fd;
}

// Reads the link `name` in `directory` once, through the same object whose
// owner is checked: a link swapped in between is not read.
OsStatus read_own_link(int directory, const std::string& name, std::string& text) {
    struct stat info {};
    char place[4096];
    ssize_t length = -1;
#ifdef O_PATH
    Descriptor link(posix::sys_openat(directory, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC, 0));
    if (link.get() < 0) return posix::errno_status();
    if (posix::sys_fstat(link.get(), &info) != 0) return posix::errno_status();
    if (!S_ISLNK(info.st_mode) || !owned_by_user_or_root(info)) return OsStatus::failure(error_access_denied);
    length = posix::sys_readlinkat(link.get(), "", place, sizeof place);
#else
    if (posix::sys_fstatat(directory, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return posix::errno_status();
    if (!S_ISLNK(info.st_mode) || !owned_by_user_or_root(info)) return OsStatus::failure(error_access_denied);
    length = posix::sys_readlinkat(directory, name.c_str(), place, sizeof place);
    struct stat again {};
    if (posix::sys_fstatat(directory, name.c_str(), &again, AT_SYMLINK_NOFOLLOW) != 0 || again.st_ino != info.st_ino ||
        again.st_dev != info.st_dev)
        return OsStatus::failure(error_access_denied);
#endif
    if (length < 0) return posix::errno_status();
    if (static_cast<std::size_t>(length) >= sizeof place) return OsStatus::failure(error_filename_too_long);
    text.assign(place, static_cast<std::size_t>(length));
    return OsStatus::success();
}

// Walks from `start` to the directory of the path `text` names, one part at
// a time; a link on the way must be this user's or root's. `directory`
// holds the last directory reached, `last` the final part.
OsStatus walk_to_directory(int start, const std::string& text, Descriptor& directory, std::string& last) {
    std::size_t slash = text.rfind('/');
    last = slash == std::string::npos ? text : text.substr(slash + 1);
    if (last.empty() || last == "." || last == "..") return OsStatus::failure(error_access_denied);
    directory.reset(open_directory(text.front() == '/' ? AT_FDCWD : start, text.front() == '/' ? "/" : "."));
    if (directory.get() < 0) return posix::errno_status();
    std::size_t from = 0;
    while (slash != std::string::npos && from < slash) {
        std::size_t end = text.find('/', from);
        std::string part = text.substr(from, end - from);
        from = end + 1;
        if (part.empty() || part == ".") continue;
        struct stat info {};
        if (posix::sys_fstatat(directory.get(), part.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            return posix::errno_status();
        if (S_ISLNK(info.st_mode) && !owned_by_user_or_root(info)) return OsStatus::failure(error_access_denied);
        directory.reset(open_directory(directory.get(), part.c_str()));
        if (directory.get() < 0) return posix::errno_status();
    }
    return OsStatus::success();
}

// The new file's name outside the current directory: one of this host
// directory's own, so that two hosts posting into one directory never meet,
// and never a name a poster takes for a report.
std::string foreign_temporary(const struct stat& host) {
    std::uint64_t hash = 14695981039346656037ull;
    for (std::uint64_t part : {static_cast<std::uint64_t>(host.st_dev), static_cast<std::uint64_t>(host.st_ino)})
        for (int shift = 0; shift < 64; shift += 8) hash = (hash ^ ((part >> shift) & 0xFF)) * 1099511628211ull;
    char name[40];
    std::snprintf(name, sizeof name, "KetRAV-%016llx.tmp", static_cast<unsigned long long>(hash));
    return name;
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
        at += static_cast<ssize_t>(std::char_traits<char>::length(name)) + 1;
        ssize_t length = fgetxattr(from, name, nullptr, 0);
        if (length < 0) continue;
        std::vector<char> value(static_cast<std::size_t>(length) + 1);
        length = fgetxattr(from, name, value.data(), value.size());
        if (length >= 0) fsetxattr(to, name, value.data(), static_cast<std::size_t>(length), 0);
    }
#endif
}

// The old file's settings on the new one: owner and group where this user
// may give them (else the group alone), then the mode, then the extended
// attributes, which an ACL would otherwise lose to the mode.
OsStatus copy_settings(int from, const struct stat& old, int to) {
    if (posix::sys_fchown(to, old.st_uid, old.st_gid) != 0) {
        if (OsError injected = posix::take_injected_error()) return OsStatus::failure(injected);
        posix::sys_fchown(to, static_cast<uid_t>(-1), old.st_gid);
        posix::take_injected_error();
    }
    if (posix::sys_fchmod(to, old.st_mode & 07777) != 0) return posix::errno_status();
    copy_extended_attributes(from, to);
    return OsStatus::success();
}

void end_replacement(Replacement& replacement) {
    for (OsHandle* handle : {&replacement.old_file, &replacement.directory}) {
        if (handle->valid()) posix::sys_close(static_cast<int>(handle->value));
        *handle = OsHandle{};
    }
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
    OsStatus walked = walk_to_directory(AT_FDCWD, path, directory, target);
    if (!walked.ok) return walked;

    struct stat old {};
    bool exists = posix::sys_fstatat(directory.get(), target.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT) return posix::errno_status();
    if (exists && S_ISLNK(old.st_mode)) {
        // The sysop's own link to a posting directory: followed this once.
        std::string text;
        OsStatus read = read_own_link(directory.get(), target, text);
        if (!read.ok) return read;
        if (text.empty()) return OsStatus::failure(error_access_denied);
        Descriptor link_directory(directory.take());
        walked = walk_to_directory(link_directory.get(), text, directory, target);
        if (!walked.ok) return walked;
        exists = posix::sys_fstatat(directory.get(), target.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
        if (!exists && errno != ENOENT) return posix::errno_status();
        // A link to a link is followed no further.
        if (exists && S_ISLNK(old.st_mode)) return OsStatus::failure(error_access_denied);
    }
    if (exists && S_ISDIR(old.st_mode)) return OsStatus::failure(error_access_denied);

    if (exists && !S_ISREG(old.st_mode)) {
        // A FIFO or a device: written into, never waited on.
        Descriptor fd(
            posix::sys_openat(directory.get(), target.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0));
        if (fd.get() < 0) return posix::errno_status();
        if (posix::sys_flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return posix::errno_status();
        // Opened without waiting for a reader; once there is one, a report
        // longer than the pipe holds waits for it as any writer would.
        if (posix::sys_make_blocking(fd.get()) != 0) return posix::errno_status();
        replacement.in_place = true;
        file.value = fd.take();
        posix::note_open_file(static_cast<int>(file.value));
        return OsStatus::success();
    }

    Descriptor held;
    if (exists) {
        // Windows refuses to replace a read-only file, or one an open holds.
        if (!(old.st_mode & S_IWUSR)) return OsStatus::failure(error_access_denied);
        held.reset(
            posix::sys_openat(directory.get(), target.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0));
        if (held.get() >= 0 && posix::sys_flock(held.get(), LOCK_EX | LOCK_NB) != 0) return posix::errno_status();
        posix::take_injected_error();
    }

    struct stat here {
    }, there{};
    if (posix::sys_stat(".", &here) != 0 || posix::sys_fstat(directory.get(), &there) != 0)
        return posix::errno_status();
    bool local = here.st_dev == there.st_dev && here.st_ino == there.st_ino;
    std::string temporary = local ? local_temporary : foreign_temporary(here);
    // What a killed run of this host left, or a link planted in its place.
    if (posix::sys_unlinkat(directory.get(), temporary.c_str()) != 0 && errno != ENOENT) return posix::errno_status();
    Descriptor fd(posix::sys_openat(directory.get(), temporary.c_str(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (fd.get() < 0) return posix::errno_status();
    if (posix::sys_flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        OsStatus status = posix::errno_status();
        posix::sys_unlinkat(directory.get(), temporary.c_str());
        return status;
    }
    replacement.directory.value = directory.take();
    replacement.old_file.value = held.take();
    replacement.target = target;
    replacement.temporary = temporary;
    file.value = fd.take();
    posix::note_open_file(static_cast<int>(file.value));
    return OsStatus::success();
}

OsStatus complete_replacement(OsHandle file, Replacement& replacement) {
    if (replacement.in_place) {
        OsStatus closed = close_handle(file);
        end_replacement(replacement);
        return closed;
    }
    int fd = static_cast<int>(file.value);
    int directory = static_cast<int>(replacement.directory.value);
    OsStatus status = posix::sys_fsync(fd) == 0 ? OsStatus::success() : posix::errno_status();
    struct stat old {};
    if (status.ok && posix::sys_fstatat(directory, replacement.target.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0)
        status = copy_settings(static_cast<int>(replacement.old_file.value), old, fd);
    else
        posix::take_injected_error();
    if (status.ok &&
        posix::sys_renameat(directory, replacement.temporary.c_str(), directory, replacement.target.c_str()) != 0)
        status = posix::errno_status();
    if (!status.ok) {
        abandon_replacement(file, replacement);
        return status;
    }
    // The rename itself on disk; a directory opened only to name files in
    // cannot be flushed, and the report is in place either way.
    posix::sys_fsync(directory);
    posix::take_injected_error();
    // The new file is on disk and in place: a failed close loses nothing.
    close_handle(file);
    end_replacement(replacement);
    return OsStatus::success();
}

OsStatus abandon_replacement(OsHandle file, Replacement& replacement) {
    OsStatus status = OsStatus::success();
    if (!replacement.in_place && replacement.directory.valid() &&
        posix::sys_unlinkat(static_cast<int>(replacement.directory.value), replacement.temporary.c_str()) != 0)
        status = posix::errno_status();
    OsStatus closed = close_handle(file);
    end_replacement(replacement);
    return status.ok ? closed : status;
}

}  // namespace ketrav::platform
