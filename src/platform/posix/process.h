// POSIX only: what the process backend shares with the file backend.
#pragma once

#include "platform/os_status.h"

namespace ketrav::platform::posix {

// Process and thread handles are negative numbers, so they never meet a
// file descriptor; close_handle releases one here. False when the handle is
// unknown.
bool release_process_handle(OsHandle handle);

}  // namespace ketrav::platform::posix
