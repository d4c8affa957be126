// A new file written beside the one it is to replace and put in its place in
// one step, so that the place always holds the old file or the whole new
// one, never a part of either, and never the old one's settings lost.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os_status.h"

namespace ketrav::platform {

// A replacement under way: what open_replacement found and holds until
// complete_replacement or abandon_replacement ends it.
struct Replacement {
    OsHandle directory;               // the target's directory (POSIX): every later step is made in it
    OsHandle old_file;                // the old file, held so that no open slips in before the rename (POSIX)
    std::string target;               // the target's name: in `directory` on POSIX, whole on Windows
    std::string temporary;            // the new file's name, the same way
    std::int64_t acting_for = -1;     // the user whose rights each step is taken with, -1 the run's own (POSIX)
    bool waiting = false;             // whether it has waited for the old file's holder (Windows)
    std::uint32_t waiting_since = 0;  // since when, in the system's milliseconds
};

// Opens for writing, with no sharing, a new file that is to take the place
// of the file `name` reaches: `name` itself, or, when `name` is a symbolic
// link of this user's own or root's (for a run of root's: of the user it
// then acts for), the one file it names (POSIX). The new
// file is created exclusively beside its target, under `local_temporary`
// when that is the current directory, and elsewhere under a name of this
// directory's own (no other host's run can share it; the next run here
// removes what a killed one left). Refused, with nothing made:
// - 5 when the target is a directory, a FIFO, a device or read-only, when
//   `name` is a link of another user's, when a link on the way to the
//   target is another user's, when the target is itself a link, or when it
//   is `local_temporary` or one of `run_files` in the current directory
//   (the run's own files, which the report would land on and go with);
// - 32 when an open in any process holds the target.
OsStatus open_replacement(const std::string& name, const std::string& local_temporary, OsHandle& file,
                          Replacement& replacement, const std::vector<std::string>& run_files = {});

// The refusals of open_replacement that come from where `name` leads (a
// link of another user's, a link to a link, one of the run's own files),
// made before the run removes anything of its own, with nothing made.
OsStatus check_replacement_target(const std::string& name, const std::string& local_temporary,
                                  const std::vector<std::string>& run_files);

// Gives the new file the old file's mode, owner, group and extended
// attributes (those this user may set), flushes it to disk with them, puts
// it in the target's place, and forces that to disk (the directory, or on
// POSIX its whole file system where the directory cannot be forced, and
// the new file once more). The file's handle and the replacement's end
// whatever the outcome; on a failure before the move the new file is
// removed and the old one stays exactly as it was; a move that any flush
// fails to force to disk fails with the new file in place.
OsStatus complete_replacement(OsHandle file, Replacement& replacement);

// Closes the new file and removes it; the old one stays as it was.
OsStatus abandon_replacement(OsHandle file, Replacement& replacement);

}  // namespace ketrav::platform
