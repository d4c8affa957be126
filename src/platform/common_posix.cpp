// Shared pieces of the POSIX backend: paths, errno, the running program.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

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

namespace {

// The program's directory as found from argv[0] at start-up, for systems
// (or chroots and containers) without /proc.
std::string directory_from_invocation;

// The real directory of an existing file, symlinks resolved; empty when
// there is none.
std::string real_directory_of(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return "";
    std::string resolved = real;
    std::free(real);
    return directory_of(resolved);
}

}  // namespace

std::vector<std::string> absolute_path_entries(const char* path_variable) {
    std::vector<std::string> entries;
    if (!path_variable) return entries;
    std::string list = path_variable;
    std::size_t from = 0;
    while (from <= list.size()) {
        std::size_t colon = list.find(':', from);
        if (colon == std::string::npos) colon = list.size();
        std::string directory = list.substr(from, colon - from);
        // "", ".", "./", "logs" and the like all resolve against the current
        // directory.
        if (!directory.empty() && directory[0] == '/') entries.push_back(directory);
        from = colon + 1;
    }
    return entries;
}

void remember_invocation(const char* argv0) {
    directory_from_invocation.clear();
    if (!argv0 || !*argv0) return;
    std::string name = argv0;
    if (name.find('/') != std::string::npos) {
        directory_from_invocation = real_directory_of(name);
        return;
    }
    // A bare name was found along PATH by whoever started us; only its
    // absolute entries can be trusted to mean the same now.
    for (const std::string& directory : absolute_path_entries(std::getenv("PATH"))) {
        std::string candidate = directory + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) {
            directory_from_invocation = real_directory_of(candidate);
            if (!directory_from_invocation.empty()) return;
        }
    }
}

std::string own_directory() {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length > 0 && buffer[0] == '/') return directory_of(std::string(buffer, static_cast<std::size_t>(length)));
    return directory_from_invocation;
}

}  // namespace ketrav::platform::posix
