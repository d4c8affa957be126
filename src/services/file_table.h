// The process-wide table of open files, one OpenFile per slot in use.
// Private to the services: it holds the OS layer's handles.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/file_io.h"
#include "platform/file_replace.h"
#include "services/content_digest.h"
#include "services/text_files.h"

namespace ketrav::services {

enum class FileMode { reading, writing };

inline constexpr std::uint16_t read_block_size = 128;

struct OpenFile {
    Slot slot = 0;
    platform::OsHandle handle;
    platform::FileKind kind = platform::FileKind::disk;
    FileMode mode = FileMode::reading;
    std::string name;  // at most 255 characters
    // A read or write on it lost bytes, or memory ran out for a line read
    // from it: what closing the file tells its caller.
    bool damaged = false;
    // A new file that is to take another's place (open_replacement): closed
    // only by complete_replacement, removed by any other close.
    bool replacing = false;
    platform::Replacement replacement;
    // Reading only: the next unread byte is block[buffer_position], at file
    // offset buffer_start + buffer_position.
    std::uint64_t buffer_start = 0;
    std::uint16_t block_size = read_block_size;
    std::uint16_t buffer_position = 0;
    std::uint16_t buffer_fill = 0;
    std::array<unsigned char, read_block_size> block{};
    // Opened by open_for_checked_reading: every byte read from it, in order
    // from its start, so that it can be told afterwards whether the file
    // still holds them. Other files pay nothing for it.
    bool checked = false;
    ContentDigest bytes_read;
};

// The entry for `slot`, or nullptr. Entries stay where they are until
// removed, so the pointer lasts while the slot is open.
OpenFile* find_open_file(Slot slot);
// A new entry at the front of the table; nullptr when memory runs out.
OpenFile* add_open_file(Slot slot);
// Takes the entry out of the table; false when it is not there.
bool remove_open_file(const OpenFile* entry);
// The entry at the front (the newest), or nullptr when none is open.
OpenFile* newest_open_file();
// The entry after `entry` (the next older), or nullptr after the last.
OpenFile* next_open_file(const OpenFile* entry);

}  // namespace ketrav::services
