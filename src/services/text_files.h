// Sequential text files by slot number: opening, reading lines, writing text
// and line ends, closing. Every failure records its code and gives the
// neutral result; nothing here ever stops the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "services/truth.h"

namespace ketrav::services {

// The number under which a file is open: 0 to 32767.
using Slot = std::int16_t;

// A file name is cut to this many characters, as Windows cuts it.
inline constexpr std::size_t longest_file_name = 255;

// Opens an existing disk file for reading under `slot`. A file of another
// kind (device, pipe) opens, but reads as an empty file. 0 when it opened,
// else the code recorded.
int open_for_reading(const std::string& name, Slot slot);
// The same, keeping a digest of every byte read, so that
// still_holds_the_bytes_read can tell afterwards whether the file still
// holds them (a file that others may write while it is read: the log).
int open_for_checked_reading(const std::string& name, Slot slot);
// Opens a disk file for writing under `slot`: created when missing, emptied
// when it exists (only once it is safely open and locked). 0 when it
// opened, else the code recorded.
int open_for_writing(const std::string& name, Slot slot);

// Opens for writing under `slot` a new file that takes the place of the
// file `name` reaches (itself, or the one file a link of this user's or
// root's names) only when complete_replacement puts it there; any other
// close removes it and leaves the old file exactly as it was. It is made
// beside its target, under `temporary_name` in the current directory.
// Refused as open_for_writing is (read-only or held), and also when `name`
// is another user's link or a link to a link, when the target is no
// regular file, and when it is `temporary_name` or one of `run_files` in
// the current directory. 0 when it opened, else the code recorded.
int open_replacement(const std::string& name, const std::string& temporary_name,
                     const std::vector<std::string>& run_files, Slot slot);
// The refusals of open_replacement that come from where `name` leads, made
// alone, so that a run refuses before it removes anything: 0 when none
// applies, else the code recorded.
int check_replacement_target(const std::string& name, const std::string& temporary_name,
                             const std::vector<std::string>& run_files);
// Puts the new file open under `slot` in its place and closes the slot.
// True when every byte was written and the file is in place; false, with
// the new file removed and the old one as it was, otherwise.
bool complete_replacement(Slot slot);

// When `name` reaches a FIFO or a device (a posting pipe), opens it for
// writing under `slot` at once, without waiting for a reader; 0 then, or
// the code recorded when it cannot be opened (no reader). A regular file,
// or none, leaves the slot free and gives 0: that one is replaced.
int open_stream_target(const std::string& name, Slot slot);
// Copies the whole disk file `name`, read under `reading_slot`, into the
// stream open under `stream_slot`, waits until its reader has taken every
// byte, and closes both. True when the reader has the whole file.
bool deliver_to_stream(const std::string& name, Slot reading_slot, Slot stream_slot);

// The next line without its end: a line ends at CR, CR LF, the end of the
// file, or before a 0x1A; LF belongs to the line.
std::string read_line(Slot slot);
// read_line into `line`, reusing its memory: for a caller that reads a whole
// file line by line into one working value.
void read_line_into(Slot slot, std::string& line);
// Up to `most` bytes from the file open for reading under `slot`, as they
// are: no line rules, no end-of-file mark. For a text whose encoding the
// line rules do not fit (UTF-16).
std::string read_bytes(Slot slot, std::size_t most);
// -1 when the file open for reading has nothing more to give, or the slot is
// not open; 0 otherwise, also for a file open for writing.
std::int32_t at_end(Slot slot);

// Each non-empty write_text and each end_line is exactly one OS write.
// A text or a part of one (a view into a line, which then needs no copy).
void write_text(Slot slot, std::string_view text);
void end_line(Slot slot);

// Close the file under `slot`, or every open file. True when each file
// closed is whole: every read and write on it gave all its bytes, and a
// file written was cut and closed without a failure.
bool close_file(Slot slot);
bool close_all();

// False when the file open for reading under `slot` no longer holds, from
// its start, exactly the bytes read from it: it was cut under the reader (a
// log rotated by copying and truncating), or written over, even where it
// has grown again since, and the lines read may be no longer the file's.
// Bytes added past those read (a tosser's append) change nothing. Told by
// the bytes alone, read again from the start. True for a slot not open,
// for a file not opened by open_for_checked_reading and for a file that
// is no disk file.
bool still_holds_the_bytes_read(Slot slot);

// `name` was read from the file open under `slot`: whoever controls that
// file chose it, and a run of root's looks it up with their rights alone
// (what a configuration file of a user's names is read on that user's
// word, never on root's).
void take_name_from(Slot slot, const std::string& name);

// Whether a file is open under `slot`.
bool slot_in_use(Slot slot);

}  // namespace ketrav::services
