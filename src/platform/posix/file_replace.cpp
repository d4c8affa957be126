// POSIX backend of file_replace.h: rename(2), with Windows' refusals first.
#include "platform/file_replace.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/errno_mapping.h"
#include "platform/posix/file_io.h"
#include "platform/posix/paths.h"
#include "platform/posix/system_calls.h"

namespace ketrav::platform {

OsStatus replace_file(const std::string& from, const std::string& to) {
    std::string source = posix::native_path(from);
    std::string target = posix::native_path(to);
    if (source.empty() || target.empty()) return OsStatus::failure(error_path_not_found);
    struct stat info {};
    int held = -1;
    if (posix::sys_lstat(target.c_str(), &info) == 0) {
        // Held across the rename, so that no open slips in between.
        OsStatus free = posix::hold_for_removal(target, info, held);
        if (!free.ok) return free;
    } else if (errno != ENOENT) {
        return posix::errno_status();
    }
    OsStatus status =
        posix::sys_rename(source.c_str(), target.c_str()) == 0 ? OsStatus::success() : posix::errno_status();
    if (held >= 0) posix::sys_close(held);
    return status;
}

OsStatus own_link_target(const std::string& name, std::string& target) {
    target = name;
    std::string path = posix::native_path(name);
    struct stat info {};
    if (path.empty() || posix::sys_lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return OsStatus::success();
    if (info.st_uid != geteuid() && info.st_uid != 0) return OsStatus::failure(error_access_denied);
    if (posix::sys_realpath(path.c_str(), target)) return OsStatus::success();
    target = name;
    if (errno != ENOENT) return posix::errno_status();
    // A link to a file not made yet (the first report into a posting
    // directory): the place the link names.
    char place[4096];
    ssize_t length = posix::sys_readlink(path.c_str(), place, sizeof place);
    if (length < 0) return posix::errno_status();
    if (static_cast<std::size_t>(length) >= sizeof place) return OsStatus::failure(error_filename_too_long);
    std::string named(place, static_cast<std::size_t>(length));
    target = named.front() == '/' ? named : posix::directory_of(path) + "/" + named;
    return OsStatus::success();
}

}  // namespace ketrav::platform
