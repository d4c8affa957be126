// Files by name: whether one exists, and deleting by name or pattern.
#pragma once

#include <cstdint>
#include <string>

namespace ketrav::services {

// -1 when a file (not a directory) of that name exists, else 0. Never
// records an error.
std::int32_t file_exists(const std::string& name);

// Deletes every file that the name or pattern ('*', '?') matches; hidden and
// system files and directories are left alone. A name that ends with '\',
// '/' or ':' means every file of that directory or drive.
void delete_file(const std::string& name);

}  // namespace ketrav::services
