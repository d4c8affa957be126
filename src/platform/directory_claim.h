// One run at a time in a directory: a claim that the next run there finds
// taken until the process that holds it, and every helper it started, has
// ended, however the directory is reached.
#pragma once

#include <string>

#include "platform/os_status.h"

namespace ketrav::platform {

// Claims the current directory for this process through the lock file
// `lock_name` in it: a file locked while the claim lasts, which is the one
// object every path to the directory reaches (a link, a bind mount, another
// drive letter or UNC name). The sharing violation (32) when another
// process holds the claim; another code when no claim can be made here (a
// file system without locks, a file this user may not open), which claims
// nothing. On POSIX, root in a directory another user owns first becomes
// that user (uid, group and groups) for the rest of the process; root in a
// directory of its own that another user may write is refused (5). On
// POSIX the helpers the program starts hold the claim with it;
// on Windows the file is deleted when its handle closes.
OsStatus claim_current_directory(const std::string& lock_name, OsHandle& claim);

// Ends the claim: the lock file goes, then its handle closes. A process
// that ends without it ends the claim all the same; its lock file stays,
// and the next run takes it over.
OsStatus release_directory_claim(OsHandle& claim);

}  // namespace ketrav::platform
