// POSIX only: Windows names as native paths.
#include "platform/posix/paths.h"

#include <sys/stat.h>

#include "platform/posix/system_calls.h"

namespace ketrav::platform::posix {

std::string native_path(const std::string& name) {
    std::string path(name.c_str());
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

std::string directory_of(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

OsStatus missing_status(const std::string& path) {
    struct stat info {};
    if (sys_stat(directory_of(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return OsStatus::failure(error_file_not_found);
    return OsStatus::failure(error_path_not_found);
}

}  // namespace ketrav::platform::posix
