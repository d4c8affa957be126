// One run at a time in the current directory: a second run started while
// one is under way there must never touch the first's files or report.
#pragma once

#include <string>

namespace ketrav::services {

// Claims the current directory for this run through the lock file
// `lock_name` in it. True when this run holds the claim; false, with the
// code recorded, when another run holds it or no claim can be made here
// (a file system without locks, a lock file this user may not open): a run
// that cannot be sure it is alone touches nothing.
bool claim_directory(const std::string& lock_name);

// Gives the claim up and removes the lock file; nothing when none is held.
// The claim also ends with the process and its helpers, however they end.
void release_directory();

}  // namespace ketrav::services
