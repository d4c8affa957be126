// POSIX backend of durable_rename.h.
#include "platform/posix/durable_rename.h"

#include "platform/posix/errno_mapping.h"
#include "platform/posix/system_calls.h"

namespace ketrav::platform::posix {

OsStatus rename_durably(int file, int directory, const std::string& temporary, const std::string& target,
                        bool& moved) {
    moved = false;
    // The data and settings on disk before the name points at them.
    if (sys_fsync(file) != 0) return errno_status();
    if (sys_renameat(directory, temporary.c_str(), directory, target.c_str()) != 0) return errno_status();
    moved = true;
    OsStatus forced = OsStatus::success();
    if (sys_fsync(directory) != 0 && sys_syncfs(file) != 0) forced = errno_status();
    // Asked even where the directory's flush said yes: only a file system
    // that answers every flush with success is taken at its word.
    if (sys_fsync(file) != 0 && forced.ok) forced = errno_status();
    return forced;
}

}  // namespace ketrav::platform::posix
