// Files opened without sharing, read, written, positioned and cut, with the
// Windows meaning of each call on every system.
#pragma once

#include <cstdint>
#include <string>

#include "platform/os_status.h"

namespace ketrav::platform {

// read opens an existing file; write opens or creates one without emptying
// it, so that a refused open never harms the file, and never through a
// symbolic link (POSIX).
enum class FileAccess { read, write };

// A regular file on disk, or anything else (device, pipe, console).
enum class FileKind { disk, other };

// Opens `name` ('\' and '/' both separate directories) with no sharing: a
// second open of the same file, here or in another process, fails with the
// sharing violation (32). The handle is created inheritable.
OsStatus open_file(const std::string& name, FileAccess access, OsHandle& handle);

// `name` was read from the file open as `source`: whoever controls that
// file chose it. On POSIX a run of root's looks it up, and opens what it
// names, with that user's rights from then on; nothing on Windows.
void take_name_from(OsHandle source, const std::string& name);
OsStatus file_kind(OsHandle handle, FileKind& kind);
OsStatus set_file_pointer(OsHandle handle, std::uint64_t offset);
OsStatus set_end_of_file(OsHandle handle);
OsStatus read_file(OsHandle handle, void* buffer, std::uint32_t size, std::uint32_t& bytes_read);
// Reads up to `size` bytes of a disk file from `offset` on. POSIX does it in
// one positioned read, Windows by positioning and then reading; the file
// pointer is not to be relied on afterwards.
OsStatus read_file_at(OsHandle handle, std::uint64_t offset, void* buffer, std::uint32_t size,
                      std::uint32_t& bytes_read);
OsStatus write_file(OsHandle handle, const void* data, std::uint32_t size, std::uint32_t& bytes_written);

// From now on, files this process and its children create get the owner's
// read and write bits whatever the umask (the other bits follow it), so
// that a file the program made is one it may replace. Nothing on Windows.
void keep_owner_access_to_new_files();

}  // namespace ketrav::platform
