// POSIX only: whose rights a run started by root takes each step of its way
// with. What another user controls (a directory, a link, a file of theirs,
// or a name read from a file of theirs) is looked up and opened with that
// user's rights alone, as privilege-separated programs do their users'
// work: what the user could read, root may read for them; what they could
// not, root never reads on their word. What root itself owns is used with
// root's rights only when no other user may change it: its mode bits and
// its access control list give no other user write (root's group aside).
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include "platform/os_status.h"

namespace ketrav::platform::posix {

// What a part is to the way it is met on.
enum class PartRole {
    pass,     // a directory gone through, or one a file of its owner's is read in
    make_in,  // the directory a new file is made in, or renamed into
    use,      // the file read or written itself
    link,     // a symbolic link, whose text chooses the way on
};

// Whether a part of root's is closed to every other user: no write for
// others, none for the group unless it is root's, and no entry of its
// access list beyond the owner's and root's group's that grants write.
// `fd` is the part open (for its access list); a link's own rights mean
// nothing, so a link needs only to be root's.
bool root_may_trust(const struct stat& info, int fd);

// Takes the part `info` (open as `fd`; -1 for a link) into a way whose
// lookups are made as `controller`. For a run of root's: a part another
// user owns hands the way to that user (refused, 5, when a different other
// user holds it already); a part of root's must be one root may trust, or
// a sticky directory of root's passed through (its other users cannot
// move root's entries in it). For any other run: a link must be the user's
// own or root's; everything else is the system's to allow.
OsStatus take_part(const struct stat& info, int fd, PartRole role, uid_t& controller);

}  // namespace ketrav::platform::posix
