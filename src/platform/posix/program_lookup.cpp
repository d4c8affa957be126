// POSIX only: where a program named on a command line is found.
#include "platform/posix/program_lookup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/posix/own_directory.h"
#include "platform/posix/paths.h"
#include "platform/posix/system_calls.h"

namespace ketrav::platform::posix {
namespace {

// The build names the installed helper directory; a build without one has
// none.
#ifdef KETRAV_HELPER_DIRECTORY
constexpr const char* configured_helper_directory = KETRAV_HELPER_DIRECTORY;
#else
constexpr const char* configured_helper_directory = "";
#endif

bool runnable_file(const std::string& path) {
    struct stat info {};
    return sys_stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && sys_access(path.c_str(), X_OK) == 0;
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
        if (!directory.empty() && directory[0] == '/') entries.push_back(directory);
        from = colon + 1;
    }
    return entries;
}

std::vector<std::string> program_search_places(const std::string& own_directory, const std::string& configured_helpers,
                                               const char* path_variable) {
    std::vector<std::string> places;
    if (!own_directory.empty()) {
        places.push_back(own_directory);
        places.push_back(own_directory + "/../libexec/ketrav");
    }
    if (!configured_helpers.empty() && configured_helpers[0] == '/') places.push_back(configured_helpers);
    for (const std::string& directory : absolute_path_entries(path_variable)) places.push_back(directory);
    return places;
}

namespace {

OsStatus look_up(const std::string& name, const char* path_variable, std::string& path) {
    std::string program = native_path(name);
    path.clear();
    if (program.empty()) return OsStatus::failure(error_file_not_found);
    if (program.find('/') != std::string::npos) {
        path = program;
        return runnable_file(path) ? OsStatus::success() : OsStatus::failure(error_file_not_found);
    }
    for (const std::string& directory :
         program_search_places(own_directory(), configured_helper_directory, path_variable)) {
        std::string candidate = directory + "/" + program;
        if (runnable_file(candidate)) {
            path = candidate;
            return OsStatus::success();
        }
    }
    return OsStatus::failure(error_file_not_found);
}

}  // namespace

OsStatus find_program(const std::string& name, std::string& path) { return look_up(name, std::getenv("PATH"), path); }

OsStatus find_helper(const std::string& name, std::string& path) { return look_up(name, nullptr, path); }

}  // namespace ketrav::platform::posix
