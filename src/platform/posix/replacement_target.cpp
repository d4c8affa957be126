// POSIX backend of replacement_target.h.
#include "platform/posix/replacement_target.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

#include "platform/posix/acting_user.h"
#include "platform/posix/errno_mapping.h"
#include "platform/posix/paths.h"
#include "platform/posix/root_rule.h"
#include "platform/posix/system_calls.h"

namespace ketrav::platform::posix {
namespace {

// Whether the target is one of the run's own files in the host directory,
// by name (whatever the letter case, as some file systems ignore it) or,
// when it exists, by identity.
bool is_run_file(int host, bool in_host, const std::string& target, const struct stat* old,
                 const std::vector<std::string>& run_files) {
    auto same_name = [](const std::string& a, const std::string& b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
               });
    };
    for (const std::string& run_file : run_files) {
        if (in_host && same_name(target, run_file)) return true;
        struct stat info {};
        if (old && sys_fstatat(host, run_file.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && same_file(info, *old))
            return true;
    }
    return false;
}

}  // namespace

OsStatus find_target(const std::string& name, Descriptor& directory, std::string& target, struct stat& old,
                     bool& exists, Way& way) {
    exists = false;
    std::string path = native_path(name);
    if (path.empty()) return OsStatus::failure(error_path_not_found);
    OsStatus walked = walk_to_parent(AT_FDCWD, path, directory, target, way);
    for (int hop = 0; walked.ok; ++hop) {
        if (target.empty() || target == "." || target == "..") return OsStatus::failure(error_access_denied);
        Descriptor seen;
        exists = as_user(
            way.controller,
            [&] {
#ifdef O_PATH
                seen.reset(sys_openat(directory.get(), target.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC, 0));
                return seen.get() >= 0 && sys_fstat(seen.get(), &old) == 0;
#else
                return sys_fstatat(directory.get(), target.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
#endif
            },
            false);
        if (!exists && errno != ENOENT) return errno_status();
        // The new file is made and renamed in the directory; what is there
        // is written over: both as the way allows.
        struct stat there {};
        if (sys_fstat(directory.get(), &there) != 0) return errno_status();
        OsStatus taken = take_part(there, directory.get(), PartRole::make_in, way.controller);
        if (taken.ok && exists && !S_ISLNK(old.st_mode))
            taken = take_part(old, seen.get(), PartRole::use, way.controller);
        if (!taken.ok) return taken;
        if (!exists || !S_ISLNK(old.st_mode)) return OsStatus::success();
        // The sysop's own link to a posting directory; a link to a link is
        // followed no further.
        if (hop > 0) return OsStatus::failure(error_access_denied);
        std::string text;
        OsStatus read = read_link_on_way(directory.get(), target, text, way);
        if (!read.ok) return read;
        if (text.empty()) return OsStatus::failure(error_access_denied);
        Descriptor link_directory(directory.take());
        walked = walk_to_parent(link_directory.get(), text, directory, target, way);
    }
    return walked;
}

OsStatus refuse_run_files(int directory, const std::string& target, const struct stat* old,
                          const std::string& local_temporary, const std::vector<std::string>& run_files,
                          struct stat& here, bool& local) {
    Descriptor host(open_directory_itself(AT_FDCWD, "."));
    struct stat there {};
    if (host.get() < 0 || sys_fstat(host.get(), &here) != 0 || sys_fstat(directory, &there) != 0)
        return errno_status();
    local = same_file(here, there);
    std::vector<std::string> own = run_files;
    own.push_back(local_temporary);
    if (is_run_file(host.get(), local, target, old, own)) return OsStatus::failure(error_access_denied);
    return OsStatus::success();
}

}  // namespace ketrav::platform::posix
