// POSIX only: the running program's own directory, with or without /proc.
#include "platform/posix/own_directory.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "platform/posix/paths.h"
#include "platform/posix/program_lookup.h"
#include "platform/posix/system_calls.h"

namespace ketrav::platform::posix {
namespace {

// The program's directory as found from argv[0] at start-up, for systems
// (or chroots and containers) without /proc.
std::string directory_from_invocation;

// The real directory of an existing file, symlinks resolved; empty when
// there is none.
std::string real_directory_of(const std::string& path) {
    std::string resolved;
    return sys_realpath(path.c_str(), resolved) ? directory_of(resolved) : std::string();
}

}  // namespace

std::string directory_of_invocation(const char* argv0, const char* path_variable) {
    if (!argv0 || !*argv0) return "";
    std::string name = argv0;
    if (name.find('/') != std::string::npos) return real_directory_of(name);
    // A bare name was found along PATH by whoever started us; only its
    // absolute entries can be trusted to mean the same now.
    for (const std::string& directory : absolute_path_entries(path_variable)) {
        std::string candidate = directory + "/" + name;
        if (sys_access(candidate.c_str(), X_OK) == 0) {
            std::string found = real_directory_of(candidate);
            if (!found.empty()) return found;
        }
    }
    return "";
}

void remember_invocation(const char* argv0) {
    directory_from_invocation = directory_of_invocation(argv0, std::getenv("PATH"));
}

std::string own_directory() {
    char buffer[PATH_MAX];
    ssize_t length = sys_readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length > 0 && buffer[0] == '/') return directory_of(std::string(buffer, static_cast<std::size_t>(length)));
    return directory_from_invocation;
}

}  // namespace ketrav::platform::posix
