// POSIX only: the path walk of path_walk.h, on openat with O_NOFOLLOW.
#include "platform/posix/path_walk.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/errno_mapping.h"
#include "platform/posix/root_rule.h"
#include "platform/posix/system_calls.h"

namespace ketrav::platform::posix {
namespace {

OsStatus walk_parts(int start, const std::string& path, std::size_t end, Descriptor& directory, int& links_left);

// A run of root's goes through no directory another user may change, but
// as a sticky directory lets them (find_target asks more of the last).
OsStatus trusted_by_run(int directory) {
    if (geteuid() != 0) return OsStatus::success();
    struct stat info {};
    if (sys_fstat(directory, &info) != 0) return errno_status();
    return root_may_pass(info) ? OsStatus::success() : OsStatus::failure(error_access_denied);
}

// Goes from `directory` into its part `part`: the directory itself, or
// where a link of this user's or root's leads.
OsStatus enter(Descriptor& directory, const std::string& part, int& links_left) {
    int fd = open_directory_itself(directory.get(), part.c_str());
    if (fd >= 0) {
        directory.reset(fd);
        return trusted_by_run(fd);
    }
    // O_NOFOLLOW meets a link as ELOOP (ENOTDIR with O_DIRECTORY on some
    // systems, EMLINK on others); anything else is the answer itself.
    OsStatus refused = errno_status();
    if (errno != ELOOP && errno != ENOTDIR && errno != EMLINK) return refused;
    struct stat info {};
    if (sys_fstatat(directory.get(), part.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(info.st_mode))
        return refused;
    std::string text;
    OsStatus read = read_own_link(directory.get(), part, text);
    if (!read.ok) return read;
    if (text.empty() || --links_left < 0) return OsStatus::failure(error_access_denied);
    Descriptor reached;
    OsStatus walked = walk_parts(directory.get(), text, text.size(), reached, links_left);
    if (walked.ok) directory.reset(reached.take());
    return walked;
}

// Walks the parts of path[0, end) from `start`, or from "/".
OsStatus walk_parts(int start, const std::string& path, std::size_t end, Descriptor& directory, int& links_left) {
    bool absolute = !path.empty() && path.front() == '/';
    directory.reset(open_directory_itself(absolute ? AT_FDCWD : start, absolute ? "/" : "."));
    if (directory.get() < 0) return errno_status();
    OsStatus trusted = trusted_by_run(directory.get());
    if (!trusted.ok) return trusted;
    for (std::size_t from = 0; from < end;) {
        std::size_t slash = path.find('/', from);
        if (slash == std::string::npos || slash > end) slash = end;
        std::string part = path.substr(from, slash - from);
        from = slash + 1;
        if (part.empty() || part == ".") continue;
        OsStatus entered = enter(directory, part, links_left);
        if (!entered.ok) return entered;
    }
    return OsStatus::success();
}

}  // namespace

int open_directory_itself(int at, const char* name) {
    int fd = sys_openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0);
#ifdef O_PATH
    if (fd < 0 && errno == EACCES) fd = sys_openat(at, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0);
#endif
    return fd;
}

bool owned_by_user_or_root(const struct stat& info) { return info.st_uid == geteuid() || info.st_uid == 0; }

OsStatus read_own_link(int directory, const std::string& name, std::string& text) {
    struct stat info {};
    char place[4096];
    ssize_t length = -1;
#ifdef O_PATH
    Descriptor link(sys_openat(directory, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC, 0));
    if (link.get() < 0) return errno_status();
    if (sys_fstat(link.get(), &info) != 0) return errno_status();
    if (!S_ISLNK(info.st_mode) || !owned_by_user_or_root(info)) return OsStatus::failure(error_access_denied);
    length = sys_readlinkat(link.get(), "", place, sizeof place);
#else
    // Without O_PATH: the link looked at before and after it is read, and
    // refused unless it is the same link both times.
    if (sys_fstatat(directory, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return errno_status();
    if (!S_ISLNK(info.st_mode) || !owned_by_user_or_root(info)) return OsStatus::failure(error_access_denied);
    length = sys_readlinkat(directory, name.c_str(), place, sizeof place);
    struct stat again {};
    if (sys_fstatat(directory, name.c_str(), &again, AT_SYMLINK_NOFOLLOW) != 0 || again.st_ino != info.st_ino ||
        again.st_dev != info.st_dev)
        return OsStatus::failure(error_access_denied);
#endif
    if (length < 0) return errno_status();
    if (static_cast<std::size_t>(length) >= sizeof place) return OsStatus::failure(error_filename_too_long);
    text.assign(place, static_cast<std::size_t>(length));
    return OsStatus::success();
}

OsStatus walk_to_parent(int start, const std::string& path, Descriptor& directory, std::string& last, int& links_left) {
    std::size_t slash = path.rfind('/');
    last = slash == std::string::npos ? path : path.substr(slash + 1);
    return walk_parts(start, path, slash == std::string::npos ? 0 : slash, directory, links_left);
}

}  // namespace ketrav::platform::posix
