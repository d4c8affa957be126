// Sorted runs on disk: each line written with its length to a scratch file,
// read back in the same order. Both sides buffer; the file belongs to the
// caller, which rewinds it between writing and reading and closes it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os_status.h"

namespace ketrav::standins {

class RunWriter {
   public:
    RunWriter(platform::OsHandle file, std::size_t buffer_bytes);
    // False once a write failed or came up short (a full disk).
    bool put(std::string_view line);
    // Bytes with no length before them, for a file of another layout.
    bool put_bytes(std::string_view bytes);
    bool flush();

   private:
    bool write_out(const char* bytes, std::size_t size);

    platform::OsHandle file_;
    std::vector<char> buffer_;
    std::size_t fill_ = 0;
    bool failed_ = false;
};

class RunReader {
   public:
    RunReader(platform::OsHandle file, std::size_t buffer_bytes);
    // The next line, valid until the next call. False at the end of the run
    // and on a failure, which failed() then tells.
    bool next(std::string_view& line);
    bool failed() const { return failed_; }

   private:
    // Makes `size` bytes available at position_; false when the run ends
    // first or a read fails.
    bool ensure(std::size_t size);

    platform::OsHandle file_;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t fill_ = 0;
    // A line longer than the buffer is read into a string of its own.
    std::string long_line_;
    bool failed_ = false;
};

}  // namespace ketrav::standins
