// POSIX only: what a run started by root may trust. In a directory another
// user owns, root becomes that user before anything is opened, as logrotate
// does its work as a directory's owner: the run then reads and writes with
// that user's rights alone. In a directory of root's own, every part on the
// way to what the run reads or writes must be root's and writable by no one
// else; anything another user could change or plant is refused, so nothing
// of a root-only file reaches a report another user may read.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/os_status.h"

namespace ketrav::platform::posix {

// Who a run acts as: a user, the user's group, and the groups the user is
// a member of.
struct Identity {
    uid_t user = 0;
    gid_t group = 0;
    std::vector<gid_t> groups;
};

// The identity of `user` from the texts of /etc/passwd and /etc/group,
// read as files (a static program has no user database at run time). A
// user /etc/passwd does not list gets `fallback_group` and no other group.
Identity identity_from_tables(uid_t user, gid_t fallback_group, const std::string& passwd, const std::string& group);

// Takes the identity for good: groups, then group, then user. Refused (5)
// when any step fails, or when root's rights could be taken back after.
OsStatus become(const Identity& identity);

// Whether root may trust what `info` describes: root's, and writable by no
// other user (by its group only when that is root's group). A link's own
// mode means nothing, so a link only needs to be root's. What the run reads
// or writes, and the directory it is in, must be so.
bool root_may_trust(const struct stat& info);
// Whether root may pass through the directory `info` describes on the way
// further: one root may trust, or a sticky one of root's (/tmp), where no
// other user can move or remove the entries of root's the way goes on by.
bool root_may_pass(const struct stat& info);

// For a run of root's: whether every part of `path`, as the system would
// resolve it from the current directory, is one root may trust (or pass,
// on the way); links are followed as the system follows them, each checked
// on the way. A part that is missing ends the check: what comes to be
// there is made by the run, so the directory it is made in must be one
// root may trust, not merely pass. Success at once for other users.
OsStatus check_path_for_root(const std::string& path);

}  // namespace ketrav::platform::posix
