// POSIX only: what the file backend shares with the process backend.
#pragma once

#include <vector>

namespace ketrav::platform::posix {

// Descriptors of open files, which a child process gets only when it
// inherits handles.
const std::vector<int>& inheritable_descriptors();

}  // namespace ketrav::platform::posix
