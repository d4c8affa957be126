// POSIX only: a path walked one directory at a time through descriptors, so
// that what is checked is what is used. No directory on the way is opened
// through a link, and a link is read through the very descriptor whose
// owner was judged; a directory swapped for a link at any moment is then
// refused, never followed. Each part is judged as it is met (root_rule.h):
// for a run of root's, every lookup is made with the rights of the user
// who controls the way so far, and the open is the check.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

#include "platform/os_status.h"
#include "platform/posix/descriptor.h"

namespace ketrav::platform::posix {

// Links a walk may follow in all, as the system limits a path's.
inline constexpr int most_links_followed = 8;

// A walk under way: the links it may still follow, and the user whose
// rights its lookups are made with (the run's own, until a part of another
// user's hands the way over).
struct Way {
    Way();
    explicit Way(uid_t controller) : controller(controller) {}
    int links_left = most_links_followed;
    uid_t controller;
};

// Whether two descriptions are of one file.
inline bool same_file(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens the directory `name` in `at`, never through a link: for reading
// where the way's user may list it, else (a directory of mode 0333) only as
// a place to name files in. The descriptor, or -1 with errno set.
int open_directory_itself(int at, const char* name);

// Reads the link `name` in `directory` as the way's user and takes it into
// the way: refused (5) when it is no link, or one the rule refuses.
OsStatus read_link_on_way(int directory, const std::string& name, std::string& text, Way& way);

// Walks from the directory `start` (or from "/" for an absolute path) to
// the directory that holds the last part of `path`; `directory` then holds
// it and `last` names the last part, which is not looked at. Each link
// followed on the way counts against the way's links.
OsStatus walk_to_parent(int start, const std::string& path, Descriptor& directory, std::string& last, Way& way);

// Opens `path` from the current directory with `flags` (O_CREAT makes the
// file when it is missing) as the way allows: a link at its end is followed
// when reading, never when writing. A missing file gives 2, a missing
// directory on the way 3; a directory 5.
OsStatus open_on_way(const std::string& path, int flags, Way& way, Descriptor& file);

}  // namespace ketrav::platform::posix
