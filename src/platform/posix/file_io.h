// POSIX only: what the file backend shares with the process backend.
#pragma once

#include <vector>

namespace ketrav::platform::posix {

// Descriptors of open files, which a child process gets only when it
// inherits handles.
const std::vector<int>& inheritable_descriptors();

// Takes `fd` among the open handles without ever passing it to a child (a
// scratch file): close_handle closes it.
void note_private_descriptor(int fd);

}  // namespace ketrav::platform::posix
