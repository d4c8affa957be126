// Files by name: whether one exists, and deleting by name or pattern.
#pragma once

#include <cstdint>
#include <string>

namespace ketrav::services {

// -1 when a file (not a directory) of that name exists, else 0. Never
// records an error. The name is cut to 255 characters, as an open cuts it,
// so that the file found is the file that is then opened.
std::int32_t file_exists(const std::string& name);

// Deletes every file that the name or pattern ('*', '?') matches; hidden and
// system files and directories are left alone. A name that ends with '\',
// '/' or ':' means every file of that directory or drive.
void delete_file(const std::string& name);

// Where a file that is to replace `name` in one step goes: `target` is the
// file that `name` reaches (itself, or the end of a symbolic link of this
// user's own), `temporary` the name `temporary_name` beside it, on the same
// file system. False, with an error recorded, when `name` is a link that
// belongs to another user.
bool replacement_names(const std::string& name, const std::string& temporary_name, std::string& target,
                       std::string& temporary);

// Puts `from` in the place of `to` in one step. False, with an error
// recorded and `to` left as it was, when `to` is held open or read-only, or
// the move fails.
bool replace_file(const std::string& from, const std::string& to);

}  // namespace ketrav::services
