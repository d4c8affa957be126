// POSIX backend of directory_claim.h: a lock (flock) on a lock file of the
// run's own. A run that takes the file just as the run before removes it
// finds that the name now leads elsewhere, and takes the file there.
#include "platform/directory_claim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/acting_user.h"
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
// (ketrav.ini, a link at the log) and write what that user reads: the run
// becomes that user before it opens anything, and so keeps the schedule.
// In root's own directory the directory itself must be one no other user
// may write (sticky or not); every part beyond it is judged as it is
// opened.
OsStatus act_as_owner_for_root() {
    if (!posix::run_by_root()) return OsStatus::success();
    posix::Descriptor host(posix::open_directory_itself(AT_FDCWD, "."));
    struct stat here {};
    if (host.get() < 0 || posix::sys_fstat(host.get(), &here) != 0) return posix::errno_status();
    if (here.st_uid == 0)
        return posix::root_may_trust(here, host.get()) ? OsStatus::success() : OsStatus::failure(error_access_denied);
    return posix::become(here.st_uid);
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
