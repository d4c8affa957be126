// Sequential text files by slot number: opening, reading lines, writing text
// and line ends, closing. Every failure records its code and gives the
// neutral result; nothing here ever stops the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "services/truth.h"

namespace ketrav::services {

// The number under which a file is open: 0 to 32767.
using Slot = std::int16_t;

// A file name is cut to this many characters, as Windows cuts it.
inline constexpr std::size_t longest_file_name = 255;

// Opens an existing disk file for reading under `slot`. A file of another
// kind (device, pipe) opens, but reads as an empty file.
void open_for_reading(const std::string& name, Slot slot);
// Opens a disk file for writing under `slot`: created when missing, emptied
// when it exists (only once it is safely open and locked).
void open_for_writing(const std::string& name, Slot slot);

// The next line without its end: a line ends at CR, CR LF, the end of the
// file, or before a 0x1A; LF belongs to the line.
std::string read_line(Slot slot);
// read_line into `line`, reusing its memory: for a caller that reads a whole
// file line by line into one working value.
void read_line_into(Slot slot, std::string& line);
// -1 when the file open for reading has nothing more to give, or the slot is
// not open; 0 otherwise, also for a file open for writing.
std::int32_t at_end(Slot slot);

// Each non-empty write_text and each end_line is exactly one OS write.
// A text or a part of one (a view into a line, which then needs no copy).
void write_text(Slot slot, std::string_view text);
void end_line(Slot slot);

void close_file(Slot slot);
void close_all();

// Whether a file is open under `slot`: how a caller learns that an open
// failed, the result being otherwise neutral.
bool slot_in_use(Slot slot);

}  // namespace ketrav::services
