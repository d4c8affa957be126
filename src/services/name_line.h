// The first line of a file that names another file, read as the sysop's
// editor wrote it.
#pragma once

#include <cstddef>
#include <string>

namespace ketrav::services {

// How many bytes of the file name_in_first_line needs: a name is cut to
// 255 characters, so four bytes a character and a byte-order mark cover it.
inline constexpr std::size_t name_line_bytes = 4 * 255 + 4;

// The name that the first line of `head` (the file's first bytes, as they
// are) gives, as Windows' own tools write such a file:
// - a UTF-8 byte-order mark at the start is skipped (Notepad's "UTF-8"
//   before Windows 10 1903);
// - after a UTF-16 byte-order mark, little or big endian (PowerShell 5's
//   `>` and Out-File), the text is UTF-16, and the name is given in the
//   system's narrow encoding (the ANSI code page on Windows, UTF-8 on POSIX);
// - one pair of double quotes around the whole line is removed (Explorer's
//   "Copy as path").
// Otherwise the line is as the line rules read it: it ends at CR or at a
// 0x1A byte, and LF belongs to it; nothing else is trimmed. None of these
// bytes can begin or end a Windows file name, so a name that worked before
// reads the same.
std::string name_in_first_line(const std::string& head);

}  // namespace ketrav::services
