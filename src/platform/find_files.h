// Finding files by a Windows-style pattern, their attributes, and deletion.
#pragma once

#include <cstdint>
#include <string>

#include "platform/os_status.h"

namespace ketrav::platform {

inline constexpr std::uint32_t attribute_read_only = 0x01;
inline constexpr std::uint32_t attribute_hidden = 0x02;
inline constexpr std::uint32_t attribute_system = 0x04;
inline constexpr std::uint32_t attribute_volume_label = 0x08;
inline constexpr std::uint32_t attribute_directory = 0x10;
inline constexpr std::uint32_t attribute_normal = 0x80;

struct FoundEntry {
    std::string name;  // the entry's own name, without its directory
    std::uint32_t attributes = 0;
};

// '*' and '?' may stand in the last part of the pattern, matched as Windows
// matches them ("*.*" matches every name). Nothing found gives 2, a missing
// directory 3; after the last entry find_next gives 18.
OsStatus find_first(const std::string& pattern, OsHandle& search, FoundEntry& entry);
OsStatus find_next(OsHandle search, FoundEntry& entry);
OsStatus find_close(OsHandle search);

// Deletes one file; a read-only file is refused with 5, a file that an open
// holds (in any process) with 32.
OsStatus delete_file(const std::string& name);

// The Windows wildcard rule, for one name against one pattern part.
bool wildcard_match(const std::string& pattern, const std::string& name);

}  // namespace ketrav::platform
