// POSIX only: what the file backend shares with the process backend.
#pragma once

#include <sys/stat.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/os_status.h"

namespace ketrav::platform::posix {

// Runs `work` with the umask `mask` in force, then puts the one before
// back, leaving errno as `work` left it; returns the one before.
template <typename Work>
mode_t with_umask(mode_t mask, Work work) {
    mode_t before = umask(mask);
    work();
    int error = errno;
    umask(before);
    errno = error;
    return before;
}

// Descriptors of open files, which a child process gets only when it
// inherits handles.
const std::vector<int>& inheritable_descriptors();

// Takes `fd` among the open handles without ever passing it to a child (a
// scratch file): close_handle closes it.
void note_private_descriptor(int fd);

// Takes `fd` among the open files, as open_file does with the files it opens.
void note_open_file(int fd);

// Whose rights a run of root's looks `path` up with: the user who chose it
// (take_name_from), else the run's own.
uid_t chooser_of_name(const std::string& path);

// Windows' refusals before a file is deleted or replaced: a directory or a
// read-only file (5), a file that an open holds (32). Every open of this
// layer holds a lock, so the lock taken here tells whether one does; `held`
// is then the descriptor to close once the file is gone (-1 when there is
// none: not a regular file, or one that cannot be opened to tell).
OsStatus hold_for_removal(const std::string& path, const struct stat& info, int& held);

}  // namespace ketrav::platform::posix
