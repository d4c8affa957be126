// POSIX only: a new file put in another's place so that a power cut at any
// moment leaves the old file or the whole new one there, and said to be
// done only when the disk has it.
#pragma once

#include <string>

#include "platform/os_status.h"

namespace ketrav::platform::posix {

// Flushes `file` (named `temporary` in `directory`, its data and settings
// written), renames it onto `target` in the same directory, then forces
// the rename: the directory's flush, or, for a directory opened only to
// name files in (one that cannot be listed), its whole file system's; then
// the file's own flush once more. Success only when every one of them
// succeeded: XFS, shut down between the rename and its flush, answers the
// directory's flush with success and the file's with EIO, and brings the
// old file back at the next mount. `moved` tells whether the rename was
// made: a failure after it leaves the new file in place.
OsStatus rename_durably(int file, int directory, const std::string& temporary, const std::string& target,
                        bool& moved);

}  // namespace ketrav::platform::posix
