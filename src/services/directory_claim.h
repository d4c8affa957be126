// One run at a time in the current directory: a second run started while
// one is under way there must never touch the first's files or report.
#pragma once

namespace ketrav::services {

// Claims the current directory for this run. False (with the sharing
// violation recorded) when another run holds it. True when this run holds
// it, and also where the file system allows no claim: such a run goes on
// unguarded rather than never at all.
bool claim_directory();

// Gives the claim up; nothing when none is held. The claim also ends with
// the process, however it ends.
void release_directory();

}  // namespace ketrav::services
