// POSIX only: Windows names as native paths, and a missing file told from a
// missing directory.
#pragma once

#include <string>

#include "platform/os_status.h"

namespace ketrav::platform::posix {

// '\' separates directories as '/' does; the system sees the name up to a NUL.
std::string native_path(const std::string& name);

// The directory part of a native path, up to and without its last '/';
// "." when it has none.
std::string directory_of(const std::string& path);

// ENOENT names a missing file (2) when the directory exists, else a missing
// path (3), as Windows tells the two apart.
OsStatus missing_status(const std::string& path);

}  // namespace ketrav::platform::posix
