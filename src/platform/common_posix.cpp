// Shared pieces of the POSIX backend: paths, errno, the running program.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/errno_mapping.h"
#include "platform/posix_internal.h"

namespace ketrav::platform::posix {

std::string native_path(const std::string& name) {
    std::string path(name.c_str());  // the system sees the name up to a NUL
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

OsStatus errno_status() { return OsStatus::failure(os_error_from_errno(errno)); }

OsStatus missing_status(const std::string& path) {
    struct stat info {};
    if (stat(directory_of(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return OsStatus::failure(error_file_not_found);
    return OsStatus::failure(error_path_not_found);
}

std::vector<char*> argv_of(std::vector<std::string>& words) {
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    return argv;
}

std::uint32_t exit_code_of(int wait_status) {
    if (WIFEXITED(wait_status)) return static_cast<std::uint32_t>(WEXITSTATUS(wait_status));
    if (WIFSIGNALED(wait_status)) return 128u + static_cast<std::uint32_t>(WTERMSIG(wait_status));
    return 0;
}

std::string own_directory() {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return ".";
    return directory_of(std::string(buffer, static_cast<std::size_t>(length)));
}

}  // namespace ketrav::platform::posix
