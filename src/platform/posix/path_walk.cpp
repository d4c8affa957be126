// POSIX only: the path walk of path_walk.h, on openat with O_NOFOLLOW.
#include "platform/posix/path_walk.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/acting_user.h"
#include "platform/posix/errno_mapping.h"
#include "platform/posix/root_rule.h"
#include "platform/posix/system_calls.h"

namespace ketrav::platform::posix {
namespace {

OsStatus walk_parts(int start, const std::string& path, std::size_t end, Descriptor& directory, Way& way);

// For a run of root's, the part open as `fd` taken into the way; other
// runs judge links alone, which are never opened so.
OsStatus take_open_part(int fd, PartRole role, Way& way) {
    if (!run_by_root()) return OsStatus::success();
    struct stat info {};
    if (sys_fstat(fd, &info) != 0) return errno_status();
    return take_part(info, fd, role, way.controller);
}

// A lookup made as the way's user: -1 with EACCES when that identity
// cannot be taken.
template <typename Lookup>
int as_way_user(const Way& way, Lookup lookup) {
    return as_user(way.controller, lookup, -1);
}

// The directory `name` in `at`, looked up as the way's user.
int open_directory_on_way(int at, const char* name, const Way& way) {
    return as_way_user(way, [&] { return open_directory_itself(at, name); });
}

// Goes from `directory` into its part `part`: the directory itself, or
// where a link leads that the way may follow.
OsStatus enter(Descriptor& directory, const std::string& part, Way& way) {
    int fd = open_directory_on_way(directory.get(), part.c_str(), way);
    if (fd >= 0) {
        directory.reset(fd);
        return take_open_part(fd, PartRole::pass, way);
    }
    // O_NOFOLLOW meets a link as ELOOP (ENOTDIR with O_DIRECTORY on some
    // systems, EMLINK on others); anything else is the answer itself.
    OsStatus refused = errno_status();
    if (errno != ELOOP && errno != ENOTDIR && errno != EMLINK) return refused;
    struct stat info {};
    if (as_way_user(way, [&] { return sys_fstatat(directory.get(), part.c_str(), &info, AT_SYMLINK_NOFOLLOW); }) != 0 ||
        !S_ISLNK(info.st_mode))
        return refused;
    std::string text;
    OsStatus read = read_link_on_way(directory.get(), part, text, way);
    if (!read.ok) return read;
    if (text.empty() || --way.links_left < 0) return OsStatus::failure(error_access_denied);
    Descriptor reached;
    OsStatus walked = walk_parts(directory.get(), text, text.size(), reached, way);
    if (walked.ok) directory.reset(reached.take());
    return walked;
}

// Walks the parts of path[0, end) from `start`, or from "/".
OsStatus walk_parts(int start, const std::string& path, std::size_t end, Descriptor& directory, Way& way) {
    bool absolute = !path.empty() && path.front() == '/';
    directory.reset(open_directory_on_way(absolute ? AT_FDCWD : start, absolute ? "/" : ".", way));
    if (directory.get() < 0) return errno_status();
    OsStatus taken = take_open_part(directory.get(), PartRole::pass, way);
    if (!taken.ok) return taken;
    for (std::size_t from = 0; from < end;) {
        std::size_t slash = path.find('/', from);
        if (slash == std::string::npos || slash > end) slash = end;
        std::string part = path.substr(from, slash - from);
        from = slash + 1;
        if (part.empty() || part == ".") continue;
        OsStatus entered = enter(directory, part, way);
        if (!entered.ok) return entered;
    }
    return OsStatus::success();
}

// Opens `name` in `directory` as the way's user, never through a link:
// what is there, or, with O_CREAT, a file made new.
int open_in(int directory, const std::string& name, int flags, const Way& way) {
    return as_way_user(way, [&] {
        int fd = sys_openat(directory, name.c_str(), (flags & ~O_CREAT) | O_NOFOLLOW, 0);
        if (fd >= 0 || errno != ENOENT || !(flags & O_CREAT)) return fd;
        return sys_openat(directory, name.c_str(), flags | O_EXCL | O_NOFOLLOW, 0666);
    });
}

}  // namespace

Way::Way() : controller(run_user()) {}

int open_directory_itself(int at, const char* name) {
    int fd = sys_openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0);
#ifdef O_PATH
    if (fd < 0 && errno == EACCES) fd = sys_openat(at, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0);
#endif
    return fd;
}

OsStatus read_link_on_way(int directory, const std::string& name, std::string& text, Way& way) {
    ActingAs as(way.controller);
    if (!as.ok) return OsStatus::failure(error_access_denied);
    struct stat info {};
    char place[4096];
    ssize_t length = -1;
#ifdef O_PATH
    Descriptor link(sys_openat(directory, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC, 0));
    if (link.get() < 0) return errno_status();
    if (sys_fstat(link.get(), &info) != 0) return errno_status();
    if (!S_ISLNK(info.st_mode)) return OsStatus::failure(error_access_denied);
    OsStatus taken = take_part(info, -1, PartRole::link, way.controller);
    if (!taken.ok) return taken;
    length = sys_readlinkat(link.get(), "", place, sizeof place);
#else
    // Without O_PATH: the link looked at before and after it is read, and
    // refused unless it is the same link both times.
    if (sys_fstatat(directory, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return errno_status();
    if (!S_ISLNK(info.st_mode)) return OsStatus::failure(error_access_denied);
    OsStatus taken = take_part(info, -1, PartRole::link, way.controller);
    if (!taken.ok) return taken;
    length = sys_readlinkat(directory, name.c_str(), place, sizeof place);
    struct stat again {};
    if (sys_fstatat(directory, name.c_str(), &again, AT_SYMLINK_NOFOLLOW) != 0 || !same_file(again, info))
        return OsStatus::failure(error_access_denied);
#endif
    if (length < 0) return errno_status();
    if (static_cast<std::size_t>(length) >= sizeof place) return OsStatus::failure(error_filename_too_long);
    text.assign(place, static_cast<std::size_t>(length));
    return OsStatus::success();
}

OsStatus walk_to_parent(int start, const std::string& path, Descriptor& directory, std::string& last, Way& way) {
    std::size_t slash = path.rfind('/');
    last = slash == std::string::npos ? path : path.substr(slash + 1);
    return walk_parts(start, path, slash == std::string::npos ? 0 : slash, directory, way);
}

OsStatus open_on_way(const std::string& path, int flags, Way& way, Descriptor& file) {
    Descriptor directory;
    std::string last;
    OsStatus walked = walk_to_parent(AT_FDCWD, path, directory, last, way);
    for (uid_t reached_as = way.controller; walked.ok; reached_as = way.controller) {
        if (last.empty() || last == "." || last == "..") return OsStatus::failure(error_access_denied);
        // A file is made only where the way may make one.
        bool may_make = (flags & O_CREAT) && take_open_part(directory.get(), PartRole::make_in, way).ok;
        file.reset(open_in(directory.get(), last, may_make ? flags : flags & ~O_CREAT, way));
        if (file.get() >= 0) {
            struct stat info {};
            if (sys_fstat(file.get(), &info) != 0) return errno_status();
            // Windows opens no directory as a file.
            if (S_ISDIR(info.st_mode)) return OsStatus::failure(error_access_denied);
            OsStatus taken = take_part(info, file.get(), PartRole::use, way.controller);
            if (!taken.ok) return taken;
            // Opened with the rights of the way so far, then found to be
            // another user's: that user could open it only as its owner's
            // bits allow.
            mode_t needed = (flags & O_ACCMODE) == O_RDONLY ? S_IRUSR : S_IWUSR;
            if (way.controller != reached_as && !(info.st_mode & needed)) return OsStatus::failure(error_access_denied);
            return OsStatus::success();
        }
        if (errno == ENOENT)
            return OsStatus::failure((flags & O_CREAT) && !may_make ? error_access_denied : error_file_not_found);
        bool link = errno == ELOOP || errno == EMLINK;
        if (!link || (flags & O_ACCMODE) != O_RDONLY) return errno_status();
        std::string text;
        OsStatus read = read_link_on_way(directory.get(), last, text, way);
        if (!read.ok) return read;
        if (text.empty() || --way.links_left < 0) return OsStatus::failure(error_access_denied);
        Descriptor from(directory.take());
        walked = walk_to_parent(from.get(), text, directory, last, way);
    }
    // A part missing on the way is a missing path, as Windows tells it.
    return walked.error == error_file_not_found ? OsStatus::failure(error_path_not_found) : walked;
}

}  // namespace ketrav::platform::posix
