// POSIX only: what the file backend shares with the process backend.
#pragma once

#include <string>
#include <vector>

#include "platform/os_status.h"

namespace ketrav::platform::posix {

// Descriptors of open files, which a child process gets only when it
// inherits handles.
const std::vector<int>& inheritable_descriptors();

// Takes `fd` among the open handles without ever passing it to a child (a
// scratch file): close_handle closes it.
void note_private_descriptor(int fd);

// Windows removes no file that an open holds. Every open of this layer holds
// a lock, so the lock taken here tells whether one does: the descriptor (or
// -1 when the file cannot be opened to tell, a link or another user's file),
// to be closed once the file is gone, or the sharing violation (32).
OsStatus hold_for_removal(const std::string& path, int& held);

}  // namespace ketrav::platform::posix
