// Files by name: whether one exists, and deleting by name or pattern.
#pragma once

#include <cstdint>
#include <string>

namespace ketrav::services {

// -1 when a file (not a directory) of that name exists, else 0. Never
// records an error. The name is cut to 255 characters, as an open cuts it,
// so that the file found is the file that is then opened.
std::int32_t file_exists(const std::string& name);

// file_exists, telling a file that is not there from one the system could
// not look at: a directory on the way closed to this user, a loop of links,
// a read error, memory that ran out. Never records an error.
enum class Presence { absent, present, unknown };
Presence file_presence(const std::string& name);

// Deletes every file that the name or pattern ('*', '?') matches; hidden and
// system files and directories are left alone. A name that ends with '\',
// '/' or ':' means every file of that directory or drive.
void delete_file(const std::string& name);

}  // namespace ketrav::services
