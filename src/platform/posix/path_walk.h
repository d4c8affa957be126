// POSIX only: a path walked one directory at a time through descriptors, so
// that what is checked is what is used. No directory on the way is opened
// through a link; a link is followed only when it is this user's or
// root's, and it is read through the very descriptor whose owner was
// checked. A directory swapped for a link at any moment is then refused,
// never followed.
#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/os_status.h"
#include "platform/posix/descriptor.h"

namespace ketrav::platform::posix {

// Links a walk may follow in all, as the system limits a path's.
inline constexpr int most_links_followed = 8;

bool owned_by_user_or_root(const struct stat& info);

// Whether two descriptions are of one file.
inline bool same_file(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens the directory `name` in `at`, never through a link: for reading
// where this user may list it, else (a directory of mode 0333) only as a
// place to name files in. The descriptor, or -1 with errno set.
int open_directory_itself(int at, const char* name);

// Reads the link `name` in `directory`: refused (5) when it is no link or
// another user's.
OsStatus read_own_link(int directory, const std::string& name, std::string& text);

// Walks from the directory `start` (or from "/" for an absolute path) to
// the directory that holds the last part of `path`; `directory` then holds
// it and `last` names the last part, which is not looked at. Each link
// followed on the way counts against `links_left`.
OsStatus walk_to_parent(int start, const std::string& path, Descriptor& directory, std::string& last, int& links_left);

}  // namespace ketrav::platform::posix
