// One run at a time in a directory: a claim that the next run there finds
// taken until the process that holds it closes it or ends.
#pragma once

#include "platform/os_status.h"

namespace ketrav::platform {

// Claims the current directory for this process. The sharing violation (32)
// when another process holds the claim; another code when no claim can be
// made here (a file system without locks), which claims nothing. The claim
// ends with close_handle or with the process, however it ends.
OsStatus claim_current_directory(OsHandle& claim);

}  // namespace ketrav::platform
