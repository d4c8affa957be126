// POSIX backend of scratch_files.h: created with O_EXCL and unlinked at once,
// so the open descriptor is the file's only name.
#include "platform/scratch_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "platform/call_table.h"
#include "platform/posix/errno_mapping.h"
#include "platform/posix/file_io.h"
#include "platform/posix/system_calls.h"

namespace ketrav::platform {
namespace {

// Names only need to be new: O_EXCL refuses one that is taken, and
// O_NOFOLLOW a link planted under it, so a few tries always do.
constexpr int name_tries = 100;

std::string candidate_name(const std::string& directory) {
    static unsigned long counter = 0;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::string name = directory;
    if (name.empty() || name.back() != '/') name += '/';
    name += "ketrav-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + "-" +
            std::to_string(static_cast<unsigned long>(now.tv_nsec)) + ".tmp";
    return name;
}

}  // namespace

std::string scratch_directory() {
    const char* given = std::getenv("TMPDIR");
    if (given && *given) return given;
    return "/tmp";
}

OsStatus create_scratch_file(const std::string& directory, OsHandle& handle) {
    handle = OsHandle{};
    for (int attempt = 0; attempt < name_tries; ++attempt) {
        std::string name = candidate_name(directory);
        int fd = posix::sys_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            // The directory itself is missing.
            if (errno == ENOENT) return OsStatus::failure(error_path_not_found);
            return posix::errno_status();
        }
        if (posix::sys_unlink(name.c_str()) != 0) {
            OsStatus status = posix::errno_status();
            posix::sys_close(fd);
            posix::sys_unlink(name.c_str());  // a second try, so that nothing is left behind
            return status;
        }
        posix::note_private_descriptor(fd);
        handle.value = fd;
        return OsStatus::success();
    }
    return OsStatus::failure(error_file_exists);
}

}  // namespace ketrav::platform
