// POSIX only: helpers that the POSIX backend files share with each other.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os_status.h"

namespace ketrav::platform::posix {

// '\' separates directories as '/' does.
std::string native_path(const std::string& name);

// The directory part of a native path, up to and without its last '/';
// "." when it has none.
std::string directory_of(const std::string& path);

// A failed call's errno as a status.
OsStatus errno_status();

// ENOENT names a missing file (2) when the directory exists, else a missing
// path (3), as Windows tells the two apart.
OsStatus missing_status(const std::string& path);

// Descriptors of open files, which a child process gets only when it
// inherits handles.
const std::vector<int>& inheritable_descriptors();

// Process and thread handles are negative numbers; releases one. False when
// the handle is unknown.
bool release_process_handle(OsHandle handle);

// NUL-ended argv pointers into `words`, which must outlive them.
std::vector<char*> argv_of(std::vector<std::string>& words);

// A wait status as an exit code: the exit status, or 128 + the signal.
std::uint32_t exit_code_of(int wait_status);

// The directory of the running program, from /proc/self/exe or else from
// what remember_invocation found; empty when neither tells. Never ".": the
// current directory is not the program's.
std::string own_directory();

// Resolves argv[0] once at start-up (realpath when it holds a '/', else
// along the absolute PATH entries), for own_directory where /proc is
// missing.
void remember_invocation(const char* argv0);

// The entries of a PATH value that are absolute directories, in order.
std::vector<std::string> absolute_path_entries(const char* path_variable);

}  // namespace ketrav::platform::posix
