// POSIX backend of program_lookup.h.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/posix_internal.h"
#include "platform/program_lookup.h"

namespace ketrav::platform {
namespace {

bool runnable_file(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

OsStatus find_program(const std::string& name, std::string& path) {
    std::string program = posix::native_path(name);
    path.clear();
    if (program.empty()) return OsStatus::failure(error_file_not_found);
    if (program.find('/') != std::string::npos) {
        path = program;
        return runnable_file(path) ? OsStatus::success() : OsStatus::failure(error_file_not_found);
    }
    std::string own = posix::own_directory();
    std::vector<std::string> places = {own, own + "/../libexec/ketrav"};
    if (const char* search = std::getenv("PATH")) {
        std::string list = search;
        std::size_t from = 0;
        while (from <= list.size()) {
            std::size_t colon = list.find(':', from);
            if (colon == std::string::npos) colon = list.size();
            std::string directory = list.substr(from, colon - from);
            // An empty entry or "." would mean the current directory.
            if (!directory.empty() && directory != ".") places.push_back(directory);
            from = colon + 1;
        }
    }
    for (const std::string& directory : places) {
        std::string candidate = directory + "/" + program;
        if (runnable_file(candidate)) {
            path = candidate;
            return OsStatus::success();
        }
    }
    return OsStatus::failure(error_file_not_found);
}

}  // namespace ketrav::platform
