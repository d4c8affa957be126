// POSIX only: the directory of the running program, where a system offers a
// way to find it.
#pragma once

#include <string>

namespace ketrav::platform::posix {

// From /proc/self/exe, else from what remember_invocation found; empty when
// neither tells. Never ".": the current directory is not the program's.
std::string own_directory();

// Resolves argv[0] once at start-up (realpath when it holds a '/', else
// along the absolute PATH entries), for own_directory where /proc is
// missing.
void remember_invocation(const char* argv0);

}  // namespace ketrav::platform::posix
