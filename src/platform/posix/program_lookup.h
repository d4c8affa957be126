// POSIX only: where a program named on a command line is found.
#pragma once

#include <string>
#include <vector>

#include "platform/os_status.h"

namespace ketrav::platform::posix {

// The entries of a PATH value that are absolute directories, in order: "",
// ".", "./", "logs" and the like all resolve against the current directory.
std::vector<std::string> absolute_path_entries(const char* path_variable);

// The places a bare program name is looked up, in order: the running
// program's own directory and its private helper directory beside it
// (../libexec/ketrav when installed), when the own directory is known; the
// helper directory the build was configured with; then the absolute entries
// of `path_variable`. Never the current directory.
std::vector<std::string> program_search_places(const std::string& own_directory, const std::string& configured_helpers,
                                               const char* path_variable);

// A name with a directory part is taken as it is. A bare name is looked up
// in the places above, for the running program. Nothing found gives 2.
OsStatus find_program(const std::string& name, std::string& path);

// A helper of KetRAV's own (the sort stand-in): a bare name looked up only in
// the running program's own directory and the helper directories, never
// along PATH, where a program of the same name works by other rules.
OsStatus find_helper(const std::string& name, std::string& path);

}  // namespace ketrav::platform::posix
