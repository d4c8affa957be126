// POSIX only: the directory of the running program, where a system offers a
// way to find it.
#pragma once

#include <string>

namespace ketrav::platform::posix {

// From /proc/self/exe, else from what remember_invocation found; empty when
// neither tells. Never ".": the current directory is not the program's.
std::string own_directory();

// Resolves argv[0] once at start-up, for own_directory where /proc is
// missing.
void remember_invocation(const char* argv0);

// The real directory of the program that argv[0] names: realpath when it
// holds a '/', else the first absolute entry of `path_variable` that holds
// it. Empty when none does.
std::string directory_of_invocation(const char* argv0, const char* path_variable);

}  // namespace ketrav::platform::posix
