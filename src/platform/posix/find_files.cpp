// POSIX backend of find_files.h: directory listing filtered by the Windows
// wildcard rule, with Windows attributes derived from the file's mode.
#include "platform/find_files.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include "platform/call_table.h"
#include "platform/posix/acting_user.h"
#include "platform/posix/errno_mapping.h"
#include "platform/posix/file_io.h"
#include "platform/posix/paths.h"
#include "platform/posix/system_calls.h"

namespace ketrav::platform {
namespace {

struct Search {
    std::vector<FoundEntry> entries;
    std::size_t next = 0;
};

// Only directories and regular files (or links to them) are visible, as on
// Windows, which has no FIFOs, devices or sockets among its files. False
// with errno 0 for a file of another kind, with the stat's errno otherwise.
bool describe(const std::string& path, const std::string& name, FoundEntry& entry) {
    struct stat info {};
    if (posix::sys_stat(path.c_str(), &info) != 0) return false;
    errno = 0;
    if (!S_ISDIR(info.st_mode) && !S_ISREG(info.st_mode)) return false;
    std::uint32_t attributes = 0;
    if (S_ISDIR(info.st_mode)) attributes |= attribute_directory;
    if (!name.empty() && name[0] == '.') attributes |= attribute_hidden;
    if (!(info.st_mode & S_IWUSR)) attributes |= attribute_read_only;
    entry.name = name;
    entry.attributes = attributes ? attributes : attribute_normal;
    return true;
}

std::string join(const std::string& directory, const std::string& name) {
    return directory == "/" ? "/" + name : directory + "/" + name;
}

OsStatus list_matches(const std::string& path, std::vector<FoundEntry>& found) {
    std::size_t slash = path.rfind('/');
    std::string directory = posix::directory_of(path);
    std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    if (last.empty()) return OsStatus::failure(error_file_not_found);

    if (last.find_first_of("*?") == std::string::npos) {
        FoundEntry entry;
        // A name another user chose is looked at with that user's rights.
        bool described = posix::as_user(
            posix::chooser_of_name(path), [&] { return describe(path, last, entry); }, false);
        if (described) {
            found.push_back(entry);
        } else if (errno != 0 && errno != ENOENT && errno != ENOTDIR && errno != ENAMETOOLONG) {
            // A name the system could not look at (a directory on the way
            // closed to this user, a loop of links, a read error) is not a
            // missing one: the caller must not take it for absent.
            return posix::errno_status();
        }
    } else {
        DIR* listing = posix::sys_opendir(directory.c_str());
        if (!listing) return errno == ENOENT ? OsStatus::failure(error_path_not_found) : posix::errno_status();
        dirent* item = nullptr;
        while ((item = posix::sys_readdir(listing)) != nullptr) {
            std::string name = item->d_name;
            FoundEntry entry;
            if (wildcard_match(last, name) && describe(join(directory, name), name, entry)) found.push_back(entry);
        }
        // A listing cut short by a failure is no listing.
        OsStatus broken = errno != 0 ? posix::errno_status() : OsStatus::success();
        OsStatus closed = posix::sys_closedir(listing) == 0 ? OsStatus::success() : posix::errno_status();
        if (!broken.ok) return broken;
        if (!closed.ok) return closed;
        std::sort(found.begin(), found.end(), [](const FoundEntry& a, const FoundEntry& b) { return a.name < b.name; });
    }
    if (found.empty()) return posix::missing_status(path);
    return OsStatus::success();
}

Search* search_of(OsHandle handle) { return reinterpret_cast<Search*>(handle.value); }

}  // namespace

OsStatus find_first(const std::string& pattern, OsHandle& search, FoundEntry& entry) {
    search = OsHandle{};
    auto listing = std::make_unique<Search>();
    OsStatus status = list_matches(posix::native_path(pattern), listing->entries);
    if (!status.ok) return status;
    entry = listing->entries[listing->next++];
    search.value = reinterpret_cast<std::intptr_t>(listing.release());
    note_handle_opened();
    return OsStatus::success();
}

OsStatus find_next(OsHandle search, FoundEntry& entry) {
    if (!search.valid()) return OsStatus::failure(error_invalid_handle);
    Search* listing = search_of(search);
    if (listing->next >= listing->entries.size()) return OsStatus::failure(error_no_more_files);
    entry = listing->entries[listing->next++];
    return OsStatus::success();
}

OsStatus find_close(OsHandle search) {
    if (!search.valid()) return OsStatus::failure(error_invalid_handle);
    delete search_of(search);
    note_handle_closed();
    return OsStatus::success();
}

OsStatus delete_file(const std::string& name) {
    std::string path = posix::native_path(name);
    struct stat info {};
    if (posix::sys_lstat(path.c_str(), &info) != 0)
        return errno == ENOENT ? posix::missing_status(path) : posix::errno_status();
    int held = -1;
    OsStatus free = posix::hold_for_removal(path, info, held);
    if (!free.ok) return free;
    OsStatus status = posix::sys_unlink(path.c_str()) == 0 ? OsStatus::success() : posix::errno_status();
    if (held >= 0) posix::sys_close(held);
    return status;
}

}  // namespace ketrav::platform
