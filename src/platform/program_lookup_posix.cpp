// POSIX backend of program_lookup.h.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/posix_internal.h"
#include "platform/program_lookup.h"

namespace ketrav::platform {
namespace {

// The build names the installed helper directory; a build without one
// (a test build, say) has none.
#ifdef KETRAV_HELPER_DIRECTORY
constexpr const char* configured_helper_directory = KETRAV_HELPER_DIRECTORY;
#else
constexpr const char* configured_helper_directory = "";
#endif

bool runnable_file(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::vector<std::string> program_search_places(const std::string& own_directory, const std::string& configured_helpers,
                                               const char* path_variable) {
    std::vector<std::string> places;
    if (!own_directory.empty()) {
        places.push_back(own_directory);
        places.push_back(own_directory + "/../libexec/ketrav");
    }
    if (!configured_helpers.empty() && configured_helpers[0] == '/') places.push_back(configured_helpers);
    for (const std::string& directory : posix::absolute_path_entries(path_variable)) places.push_back(directory);
    return places;
}

OsStatus find_program(const std::string& name, std::string& path) {
    std::string program = posix::native_path(name);
    path.clear();
    if (program.empty()) return OsStatus::failure(error_file_not_found);
    if (program.find('/') != std::string::npos) {
        path = program;
        return runnable_file(path) ? OsStatus::success() : OsStatus::failure(error_file_not_found);
    }
    for (const std::string& directory :
         program_search_places(posix::own_directory(), configured_helper_directory, std::getenv("PATH"))) {
        std::string candidate = directory + "/" + program;
        if (runnable_file(candidate)) {
            path = candidate;
            return OsStatus::success();
        }
    }
    return OsStatus::failure(error_file_not_found);
}

}  // namespace ketrav::platform
