// A finished file put in another's place in one step, so that the place
// always holds the old file or the new one, never a part of either.
#pragma once

#include <string>

#include "platform/os_status.h"

namespace ketrav::platform {

// Puts `from` in the place of `to`, replacing it. Refused, with `to` left
// exactly as it is, when `to` is read-only (5), a directory (5), or held by
// an open in any process (32), as Windows refuses to replace such a file.
OsStatus replace_file(const std::string& from, const std::string& to);

// The file that writing `name` in place reaches: `name` itself, or, when it
// is a symbolic link that belongs to this user or to root, the file at the
// end of the link (POSIX). Another user's link is refused with 5: it may
// have been planted to make this user's run overwrite a file of its own.
OsStatus own_link_target(const std::string& name, std::string& target);

}  // namespace ketrav::platform
