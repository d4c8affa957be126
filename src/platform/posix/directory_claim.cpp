// POSIX backend of directory_claim.h: a lock on the directory itself, which
// no file of the run's ever carries, and which ends with the process.
#include "platform/directory_claim.h"

#include <fcntl.h>
#include <sys/file.h>

#include "platform/call_table.h"
#include "platform/posix/errno_mapping.h"
#include "platform/posix/file_io.h"
#include "platform/posix/system_calls.h"

namespace ketrav::platform {

OsStatus claim_current_directory(OsHandle& claim) {
    claim = OsHandle{};
    int fd = posix::sys_open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) return posix::errno_status();
    if (posix::sys_flock(fd, LOCK_EX | LOCK_NB) != 0) {
        OsStatus status = posix::errno_status();
        posix::sys_close(fd);
        return status;
    }
    posix::note_private_descriptor(fd);
    claim.value = fd;
    return OsStatus::success();
}

}  // namespace ketrav::platform
