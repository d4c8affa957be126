// Files for a program's own passing use, such as the sort's runs: each is
// created new, under a name no one else holds, for its owner alone, and is
// gone from its directory as soon as it exists (POSIX) or when it is closed
// (Windows), so that nothing is left behind, whatever ends the process.
#pragma once

#include <string>

#include "platform/os_status.h"

namespace ketrav::platform {

// The system's directory for temporary files: TMPDIR when it is set (POSIX),
// the temporary path Windows gives (TMP, TEMP, ...), otherwise /tmp.
std::string scratch_directory();

// Creates a scratch file in `directory`, open for reading and writing,
// never inherited by a child. Close it with close_handle.
OsStatus create_scratch_file(const std::string& directory, OsHandle& handle);

}  // namespace ketrav::platform
