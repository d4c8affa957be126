// Text files over the OS layer: a 128-byte block buffer for reading, each
// block read at its absolute position, and unbuffered writing.
#include "services/text_files.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

#include "platform/stream_delivery.h"
#include "services/file_table.h"
#include "services/run_time_errors.h"
#include "services/service_locks.h"

namespace ketrav::services {
namespace {

constexpr char carriage_return = '\r';
constexpr char line_feed = '\n';
constexpr char end_of_file_mark = '\x1A';

int code_of(const platform::OsStatus& status) { return os_error_code(status.error); }

// Reads the block that starts at the next unread byte. Returns 0, or the
// run-time error code of the failure, after which the buffer is empty.
int read_next_block(OpenFile& file) {
    std::uint64_t offset = file.buffer_start + file.buffer_position;
    file.buffer_start = offset;
    file.buffer_position = 0;
    file.buffer_fill = 0;
    // A device or a pipe (a log linked to /dev/zero, say) could give bytes
    // for ever and the run would never end: the run reads disk files only,
    // and anything else reads as an empty file.
    if (file.kind != platform::FileKind::disk) return 0;
    std::uint32_t got = 0;
    platform::OsStatus read =
        os_call([&] { return platform::read_file_at(file.handle, offset, file.block.data(), file.block_size, got); });
    if (!read.ok) return code_of(read);
    file.buffer_fill = static_cast<std::uint16_t>(got);
    if (file.checked) file.bytes_read.add(file.block.data(), got);
    return 0;
}

// Makes the next byte available. Returns 0 with `has_byte` set or clear at
// the end of the file, or the code of a failed read.
int look_at_next_byte(OpenFile& file, bool& has_byte) {
    has_byte = false;
    if (file.buffer_position >= file.buffer_fill) {
        if (int failure = read_next_block(file)) return failure;
    }
    has_byte = file.buffer_position < file.buffer_fill;
    return 0;
}

// Closes and forgets an entry; the code of the first failure, or 0, and in
// `whole` whether the file is whole. A close asked for (not an open given
// up) first cuts a disk file open for writing at its pointer, and then a
// failed cut or close means the file is not whole: what was written may not
// be what the file holds. Such a close, refused by the system, leaves the
// handle open, and then the entry stays, so that the handle (and its lock
// on the file) is still accounted for and a later close can end it; a
// handle the system no longer knows is forgotten. A new file that was to
// replace another is removed instead.
int release(OpenFile* file, bool asked_for, bool& whole) {
    int failure = 0;
    platform::OsHandle handle = file->handle;
    if (file->replacing) {
        whole = false;
        platform::OsStatus abandoned =
            os_call([&] { return platform::abandon_replacement(handle, file->replacement); });
        if (!abandoned.ok) failure = code_of(abandoned);
        if (!remove_open_file(file)) failure = run_time_code::file_table_damaged;
        return failure;
    }
    bool written = asked_for && file->mode == FileMode::writing;
    bool cut = written && file->kind == platform::FileKind::disk;
    if (cut) {
        platform::OsStatus status = os_call([&] { return platform::set_end_of_file(handle); });
        if (!status.ok) {
            file->damaged = true;
            failure = code_of(status);
        }
    }
    platform::OsStatus closed = os_call([&] { return platform::close_handle(handle); });
    if (written && !closed.ok) file->damaged = true;
    whole = !file->damaged;
    if (!closed.ok && !failure) failure = code_of(closed);
    if (!closed.ok && asked_for && closed.error != platform::error_invalid_handle) return failure;
    if (!remove_open_file(file)) failure = run_time_code::file_table_damaged;
    return failure;
}

// Gives up an open that got as far as the OS: drops the entry and closes
// the file without cutting it, then records the code.
int abandon_open(OpenFile* file, int code) {
    bool whole = true;
    int failure = release(file, false, whole);
    code = failure == run_time_code::file_table_damaged ? failure : code;
    record_error(code);
    return code;
}

// Gives up an open that the OS refused: drops the entry, records the code
// and hands it back.
int refuse_open(const OpenFile* file, int code) {
    if (!remove_open_file(file)) code = run_time_code::file_table_damaged;
    record_error(code);
    return code;
}

// The open's first steps, whatever the kind of open: the name, cut as
// Windows cuts it, and a new entry for the slot; nullptr, with the code in
// `failure`, when either cannot be had.
OpenFile* new_entry(const std::string& given_name, Slot slot, FileMode mode, std::string& name, int& failure) {
    failure = 0;
    try {
        name = given_name.substr(0, longest_file_name);
    } catch (const std::bad_alloc&) {
        record_memory_failure();
        failure = run_time_code::out_of_memory;
        return nullptr;
    }
    if (name.empty() || name.find_first_of("*?") != std::string::npos) {
        failure = run_time_code::bad_file_name;
    } else if (slot < 0) {
        failure = run_time_code::slot_not_open;
    } else if (find_open_file(slot)) {
        failure = run_time_code::slot_already_open;
    }
    if (failure) {
        record_error(failure);
        return nullptr;
    }
    OpenFile* file = add_open_file(slot);
    if (!file) {
        record_memory_failure();
        failure = run_time_code::out_of_memory;
        return nullptr;
    }
    file->mode = mode;
    return file;
}

// The entry's name, kept for the life of the open.
int keep_name(OpenFile* file, const std::string& name) {
    try {
        file->name = name;
    } catch (const std::bad_alloc&) {
        record_memory_failure();
        return abandon_open(file, run_time_code::out_of_memory);
    }
    return 0;
}

int open_in_slot(const std::string& given_name, Slot slot, FileMode mode, bool checked = false) {
    LockHeld held(open_lock());
    std::string name;
    int failure = 0;
    OpenFile* file = new_entry(given_name, slot, mode, name, failure);
    if (!file) return failure;
    platform::FileAccess access = mode == FileMode::reading ? platform::FileAccess::read : platform::FileAccess::write;
    platform::OsHandle handle;
    platform::OsStatus opened = os_call([&] { return platform::open_file(name, access, handle); });
    if (!opened.ok) return refuse_open(file, code_of(opened));
    file->handle = handle;

    platform::FileKind kind = platform::FileKind::other;
    platform::OsStatus typed = os_call([&] { return platform::file_kind(handle, kind); });
    if (!typed.ok) return abandon_open(file, code_of(typed));
    file->kind = kind;
    file->checked = checked;
    // A key of this open's alone, before the first block is read into it;
    // without one there is no check, and so no reading.
    if (checked) {
        ContentDigest::Key key;
        platform::OsStatus drawn = os_call([&] { return ContentDigest::draw_key(key); });
        if (!drawn.ok) return abandon_open(file, code_of(drawn));
        file->bytes_read = ContentDigest(key);
    }

    if (kind == platform::FileKind::disk) {
        if (mode == FileMode::writing) {
            platform::OsStatus placed = os_call([&] { return platform::set_file_pointer(handle, 0); });
            if (!placed.ok) return abandon_open(file, code_of(placed));
            platform::OsStatus emptied = os_call([&] { return platform::set_end_of_file(handle); });
            if (!emptied.ok) return abandon_open(file, code_of(emptied));
        } else {
            if (int failed_read = read_next_block(*file)) return abandon_open(file, failed_read);
        }
    }
    return keep_name(file, name);
}

// One OS write of all the bytes; a short write is the disk full (61) on a
// disk file and an incomplete device write (57) elsewhere.
void write_bytes(OpenFile& file, const char* bytes, std::size_t size) {
    std::uint32_t asked = size > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(size);
    std::uint32_t written = 0;
    platform::OsStatus status = os_call([&] { return platform::write_file(file.handle, bytes, asked, written); });
    if (status.ok && written >= size) return;
    file.damaged = true;
    if (!status.ok) return record_error(code_of(status));
    record_error(file.kind == platform::FileKind::disk ? run_time_code::disk_full
                                                       : run_time_code::device_write_incomplete);
}

// A read that failed, or a line that memory could not hold: the file read
// is not whole, and the line is given up.
void lose_line(OpenFile& file, std::string& line, int code) {
    file.damaged = true;
    line.clear();
    if (code == run_time_code::out_of_memory) return record_memory_failure();
    record_error(code);
}

}  // namespace

int open_for_reading(const std::string& name, Slot slot) { return open_in_slot(name, slot, FileMode::reading); }

int open_for_checked_reading(const std::string& name, Slot slot) {
    return open_in_slot(name, slot, FileMode::reading, true);
}

int open_for_writing(const std::string& name, Slot slot) { return open_in_slot(name, slot, FileMode::writing); }

int open_replacement(const std::string& given_name, const std::string& temporary_name,
                     const std::vector<std::string>& run_files, Slot slot) {
    LockHeld held(open_lock());
    std::string name;
    int failure = 0;
    OpenFile* file = new_entry(given_name, slot, FileMode::writing, name, failure);
    if (!file) return failure;
    platform::OsHandle handle;
    platform::OsStatus opened =
        os_call([&] { return platform::open_replacement(name, temporary_name, handle, file->replacement, run_files); });
    if (!opened.ok) return refuse_open(file, code_of(opened));
    file->handle = handle;
    file->replacing = true;
    // Written into a new disk file, whatever the target is.
    file->kind = platform::FileKind::disk;
    return keep_name(file, name);
}

int check_replacement_target(const std::string& name, const std::string& temporary_name,
                             const std::vector<std::string>& run_files) {
    platform::OsStatus allowed =
        os_call([&] { return platform::check_replacement_target(name, temporary_name, run_files); });
    if (allowed.ok) return 0;
    record_error(code_of(allowed));
    return code_of(allowed);
}

bool complete_replacement(Slot slot) {
    OpenFile* file = find_open_file(slot);
    if (!file || !file->replacing) return false;
    if (file->damaged) {
        close_file(slot);
        return false;
    }
    bool whole = true;
    platform::OsStatus done = os_call([&] { return platform::complete_replacement(file->handle, file->replacement); });
    if (!done.ok) {
        record_error(code_of(done));
        whole = false;
    }
    if (!remove_open_file(file)) {
        record_error(run_time_code::file_table_damaged);
        whole = false;
    }
    return whole;
}

int open_stream_target(const std::string& given_name, Slot slot) {
    LockHeld held(open_lock());
    std::string name;
    int failure = 0;
    OpenFile* file = new_entry(given_name, slot, FileMode::writing, name, failure);
    if (!file) return failure;
    platform::OsHandle handle;
    bool is_stream = false;
    platform::OsStatus opened = os_call([&] { return platform::open_stream_target(name, handle, is_stream); });
    if (!opened.ok) return refuse_open(file, code_of(opened));
    if (!is_stream) {
        if (remove_open_file(file)) return 0;
        record_error(run_time_code::file_table_damaged);
        return run_time_code::file_table_damaged;
    }
    file->handle = handle;
    file->kind = platform::FileKind::other;
    return keep_name(file, name);
}

bool deliver_to_stream(const std::string& name, Slot reading_slot, Slot stream_slot) {
    OpenFile* stream = find_open_file(stream_slot);
    if (!stream || open_for_reading(name, reading_slot) != 0) return false;
    constexpr std::size_t piece = 65536;
    // One deadline for the whole delivery, however its reader paces itself.
    const platform::DeliveryDeadline deadline = std::chrono::steady_clock::now() + platform::stream_delivery_time;
    bool delivered = true;
    for (std::string bytes; delivered && !(bytes = read_bytes(reading_slot, piece)).empty();) {
        platform::OsStatus written =
            os_call([&] { return platform::write_to_stream(stream->handle, bytes.data(), bytes.size(), deadline); });
        if (!written.ok) {
            record_error(code_of(written));
            delivered = false;
        }
    }
    bool whole = close_file(reading_slot) && delivered;
    if (whole) {
        // A pipe takes a report of up to its buffer's size at once: whole
        // only once its reader has taken it all.
        platform::OsStatus taken = os_call([&] { return platform::wait_until_taken(stream->handle, deadline); });
        if (!taken.ok) {
            record_error(code_of(taken));
            whole = false;
        }
    }
    return close_file(stream_slot) && whole;
}

std::string read_line(Slot slot) {
    std::string line;
    read_line_into(slot, line);
    return line;
}

void read_line_into(Slot slot, std::string& line) {
    line.clear();
    OpenFile* file = find_open_file(slot);
    if (!file) return record_error(run_time_code::slot_not_open);
    if (file->mode != FileMode::reading) return record_error(run_time_code::wrong_mode);
    bool ended_by_cr = false;
    try {
        for (;;) {
            bool has_byte = false;
            if (int failure = look_at_next_byte(*file, has_byte)) return lose_line(*file, line, failure);
            if (!has_byte) break;
            // Take the run of ordinary bytes in the buffer at once: up to the
            // first CR, or a 0x1A before it.
            const unsigned char* begin = file->block.data() + file->buffer_position;
            const unsigned char* end = file->block.data() + file->buffer_fill;
            std::size_t left = static_cast<std::size_t>(end - begin);
            const void* cr = std::memchr(begin, carriage_return, left);
            std::size_t before_cr = cr ? static_cast<std::size_t>(static_cast<const unsigned char*>(cr) - begin) : left;
            const void* mark = std::memchr(begin, end_of_file_mark, before_cr);
            const unsigned char* stop = mark ? static_cast<const unsigned char*>(mark) : begin + before_cr;
            line.append(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(stop - begin));
            file->buffer_position = static_cast<std::uint16_t>(file->buffer_position + (stop - begin));
            if (stop == end) continue;
            if (*stop == end_of_file_mark) break;
            ++file->buffer_position;  // the CR
            ended_by_cr = true;
            if (int failure = look_at_next_byte(*file, has_byte)) return lose_line(*file, line, failure);
            if (has_byte && file->block[file->buffer_position] == line_feed) ++file->buffer_position;
            break;
        }
    } catch (const std::bad_alloc&) {
        return lose_line(*file, line, run_time_code::out_of_memory);
    }
    if (!ended_by_cr && line.empty()) record_error(run_time_code::input_past_end);
}

std::string read_bytes(Slot slot, std::size_t most) {
    std::string bytes;
    OpenFile* file = find_open_file(slot);
    if (!file) {
        record_error(run_time_code::slot_not_open);
        return bytes;
    }
    if (file->mode != FileMode::reading) {
        record_error(run_time_code::wrong_mode);
        return bytes;
    }
    try {
        while (bytes.size() < most) {
            bool has_byte = false;
            if (int failure = look_at_next_byte(*file, has_byte)) {
                lose_line(*file, bytes, failure);
                return bytes;
            }
            if (!has_byte) break;
            std::size_t take = std::min<std::size_t>(file->buffer_fill - file->buffer_position, most - bytes.size());
            bytes.append(reinterpret_cast<const char*>(file->block.data() + file->buffer_position), take);
            file->buffer_position = static_cast<std::uint16_t>(file->buffer_position + take);
        }
    } catch (const std::bad_alloc&) {
        lose_line(*file, bytes, run_time_code::out_of_memory);
    }
    return bytes;
}

std::int32_t at_end(Slot slot) {
    OpenFile* file = find_open_file(slot);
    if (!file) {
        record_error(run_time_code::file_not_found);
        return truth_true;
    }
    if (file->mode == FileMode::writing) return truth_false;
    bool has_byte = false;
    if (int failure = look_at_next_byte(*file, has_byte)) {
        file->damaged = true;
        record_error(failure);
        return truth_true;
    }
    if (!has_byte || file->block[file->buffer_position] == end_of_file_mark) return truth_true;
    return truth_false;
}

void write_text(Slot slot, std::string_view text) {
    OpenFile* file = find_open_file(slot);
    if (!file) return record_error(run_time_code::slot_not_open);
    if (text.empty()) return;
    if (file->mode != FileMode::writing) return record_error(run_time_code::wrong_mode);
    write_bytes(*file, text.data(), text.size());
}

void end_line(Slot slot) {
    OpenFile* file = find_open_file(slot);
    if (!file) return record_error(run_time_code::slot_not_open);
    if (file->mode != FileMode::writing) return record_error(run_time_code::wrong_mode);
    write_bytes(*file, "\r\n", 2);
}

bool close_file(Slot slot) {
    OpenFile* file = find_open_file(slot);
    if (!file) return true;
    bool whole = true;
    if (int failure = release(file, true, whole)) record_error(failure);
    return whole;
}

bool close_all() {
    int first_failure = 0;
    bool all_whole = true;
    // Each entry once, newest first: one whose close is refused stays.
    for (OpenFile* file = newest_open_file(); file;) {
        OpenFile* older = next_open_file(file);
        bool whole = true;
        int failure = release(file, true, whole);
        all_whole = all_whole && whole;
        if (failure && !first_failure) first_failure = failure;
        file = older;
    }
    if (first_failure) record_error(first_failure);
    return all_whole;
}

bool still_holds_the_bytes_read(Slot slot) {
    OpenFile* file = find_open_file(slot);
    if (!file || !file->checked || file->kind != platform::FileKind::disk) return true;
    // Read again from the start, in large pieces, whatever the file's time
    // stamps say: a file system may keep whole seconds, and a writer may put
    // a stamp back. The same bytes, or the file changed under the reader.
    static unsigned char again[65536];
    ContentDigest now(file->bytes_read.key());
    const std::uint64_t length = file->bytes_read.length();
    while (now.length() < length) {
        std::uint64_t left = length - now.length();
        std::uint32_t want = left < sizeof again ? static_cast<std::uint32_t>(left) : sizeof again, got = 0;
        platform::OsStatus read =
            os_call([&] { return platform::read_file_at(file->handle, now.length(), again, want, got); });
        if (!read.ok) {
            record_error(code_of(read));
            return false;
        }
        if (got == 0) return false;
        now.add(again, got);
    }
    return now.value() == file->bytes_read.value();
}

void take_name_from(Slot slot, const std::string& name) {
    if (OpenFile* file = find_open_file(slot)) platform::take_name_from(file->handle, name);
}

bool slot_in_use(Slot slot) { return find_open_file(slot) != nullptr; }

}  // namespace ketrav::services
