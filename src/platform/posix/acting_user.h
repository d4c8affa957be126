// POSIX only: the user a run's file-system steps are taken as. A run of
// root's is the one run that can act for another user: for good, in a
// directory that user owns (become), or for one lookup at a time, where a
// part of the way is that user's (ActingAs, with the file-system identity:
// the process keeps root's other rights, and the kernel checks the lookup
// and the open as it would that user's).
#pragma once

#include <sys/types.h>

#include <cerrno>

#include "platform/os_status.h"
#include "platform/posix/identity_tables.h"

namespace ketrav::platform::posix {

// The run's own user, whatever lookup it is taking for another just now;
// the one test of whether root's rules apply is run_by_root().
uid_t run_user();
inline bool run_by_root() { return run_user() == 0; }

// The identity of `user`, from the system's tables, read once a run. A
// table that cannot be read lists no one.
const Identity& identity_of(uid_t user);

// Root takes `user`'s identity for good: every capability left behind
// (a parent's ambient or kept ones too), groups, group and user, with no
// way back to root; then nothing of root's reaches the user's helpers: an
// environment of the user's own (HOME, USER, LOGNAME, a plain PATH, and
// TMPDIR only where the user may write it), no descriptor root was handed
// beyond the standard three, and those three only where they are the
// user's (else /dev/null). Refused (5) when any step fails.
OsStatus become(uid_t user);

// For the life of the object, file-system lookups, opens and files made
// are those of `user` (with its group and groups); nothing changes when
// `user` is the run's own. `ok` is false when the identity could not be
// taken, and then nothing was changed.
class ActingAs {
   public:
    explicit ActingAs(uid_t user);
    ~ActingAs();
    ActingAs(const ActingAs&) = delete;
    ActingAs& operator=(const ActingAs&) = delete;
    bool ok = true;

   private:
    bool engaged_ = false;
};

// Runs `lookup` as `user` (ActingAs) and gives back what it returns, with
// errno as the lookup left it, whatever going back does; `refused` with
// EACCES when the identity cannot be taken.
template <typename Lookup>
auto as_user(uid_t user, Lookup lookup, decltype(lookup()) refused) {
    auto result = refused;
    int error = EACCES;
    {
        ActingAs as(user);
        if (as.ok) {
            result = lookup();
            error = errno;
        }
    }
    errno = error;
    return result;
}

}  // namespace ketrav::platform::posix
