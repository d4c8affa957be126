// Names in UTF-16, as some of Windows' own tools write text, turned into the
// narrow names the system's file calls take.
#pragma once

#include <string>

namespace ketrav::platform {

// The name in the system's narrow encoding: the ANSI code page on Windows
// (a character it lacks becomes one that names no file), UTF-8 on POSIX
// (a lone surrogate becomes U+FFFD).
std::string narrow_name_from_utf16(const std::u16string& name);

}  // namespace ketrav::platform
