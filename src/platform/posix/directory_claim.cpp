// POSIX backend of directory_claim.h: a lock (flock) on a lock file of the
// run's own. A run that takes the file just as the run before removes it
// finds that the name now leads elsewhere, and takes the file there.
#include "platform/directory_claim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/descriptor.h"
#include "platform/posix/errno_mapping.h"
#include "platform/posix/file_io.h"
#include "platform/posix/path_walk.h"
#include "platform/posix/paths.h"
#include "platform/posix/root_rule.h"
#include "platform/posix/system_calls.h"

namespace ketrav::platform {
namespace {

using posix::same_file;

std::string claimed_path;

// A system table as text; empty when it cannot be read.
std::string read_table(const char* path) {
    std::string text;
    posix::Descriptor table(posix::sys_open(path, O_RDONLY | O_CLOEXEC, 0));
    char block[4096];
    for (ssize_t got; table.get() >= 0 && (got = posix::sys_read(table.get(), block, sizeof block)) > 0;)
        text.append(block, static_cast<std::size_t>(got));
    return text;
}

// Opens the lock file, made when missing; read-only where another user's
// run made it and this user may not write it (a lock needs no more). It is
// made readable by all whatever the umask: what a killed run of root's
// leaves must never stop the host's own user, who takes it over.
int open_lock_file(const std::string& path) {
    int fd = -1;
    posix::with_umask(
        0, [&] { fd = posix::sys_open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644); });
    if (fd < 0 && errno == EACCES)
        fd = posix::sys_open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
    return fd;
}

// Root in a directory another user owns would read what that user names
// (ketrav.ini, a link at the log) with root's rights and put it in a report
// that user may read: the run becomes that user before it opens anything,
// and so keeps the schedule. In root's own directory the directory itself
// must be one no other user may write (no group's but root's, sticky or
// not); every part beyond it is checked as it is opened.
OsStatus act_as_owner_for_root() {
    if (geteuid() != 0) return OsStatus::success();
    struct stat here {};
    if (posix::sys_stat(".", &here) != 0) return posix::errno_status();
    if (here.st_uid == 0)
        return posix::root_may_trust(here) ? OsStatus::success() : OsStatus::failure(error_access_denied);
    return posix::become(
        posix::identity_from_tables(here.st_uid, here.st_gid, read_table("/etc/passwd"), read_table("/etc/group")));
}

}  // namespace

OsStatus claim_current_directory(const std::string& lock_name, OsHandle& claim) {
    claim = OsHandle{};
    OsStatus acting = act_as_owner_for_root();
    if (!acting.ok) return acting;
    std::string path = posix::native_path(lock_name);
    for (int attempt = 0; attempt < 16; ++attempt) {
        int fd = open_lock_file(path);
        if (fd < 0 && errno == ELOOP) {
            // A link planted in its place goes; what it names stays as it is.
            if (posix::sys_unlink(path.c_str()) != 0 && errno != ENOENT) return posix::errno_status();
            continue;
        }
        if (fd < 0) return posix::errno_status();
        struct stat held {
        }, named{};
        OsStatus status = OsStatus::success();
        if (posix::sys_flock(fd, LOCK_EX | LOCK_NB) != 0 || posix::sys_fstat(fd, &held) != 0)
            status = posix::errno_status();
        else if (!S_ISREG(held.st_mode))
            status = OsStatus::failure(error_access_denied);
        else if (posix::sys_lstat(path.c_str(), &named) == 0 && same_file(held, named)) {
            posix::note_private_descriptor(fd);
            claimed_path = path;
            claim.value = fd;
            return status;
        }
        posix::sys_close(fd);
        if (!status.ok) return status;
        // The run before removed the file once done: the name is free again.
    }
    return OsStatus::failure(error_sharing_violation);
}

OsStatus release_directory_claim(OsHandle& claim) {
    if (!claim.valid()) return OsStatus::failure(error_invalid_handle);
    // Removed while still locked, so that no run takes a file on its way out.
    struct stat held {
    }, named{};
    if (posix::sys_fstat(static_cast<int>(claim.value), &held) == 0 &&
        posix::sys_lstat(claimed_path.c_str(), &named) == 0 && same_file(held, named))
        posix::sys_unlink(claimed_path.c_str());
    OsStatus closed = close_handle(claim);
    if (closed.ok) claim = OsHandle{};
    return closed;
}

}  // namespace ketrav::platform
