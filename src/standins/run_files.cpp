// Run files: a 64-bit length, then the line's bytes, for every line.
#include "standins/run_files.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/file_io.h"

namespace ketrav::standins {
namespace {

using Length = std::uint64_t;
// One OS call moves at most this much.
constexpr std::size_t largest_call = 1u << 30;

}  // namespace

RunWriter::RunWriter(platform::OsHandle file, std::size_t buffer_bytes)
    : file_(file), buffer_(std::max<std::size_t>(buffer_bytes, sizeof(Length))) {}

bool RunWriter::write_out(const char* bytes, std::size_t size) {
    while (size > 0 && !failed_) {
        std::uint32_t asked = static_cast<std::uint32_t>(std::min(size, largest_call));
        std::uint32_t written = 0;
        // A short write on a disk file is a full disk: the run is lost.
        if (!platform::write_file(file_, bytes, asked, written).ok || written != asked) failed_ = true;
        bytes += asked;
        size -= asked;
    }
    return !failed_;
}

bool RunWriter::flush() {
    if (fill_ > 0 && !failed_) write_out(buffer_.data(), fill_);
    fill_ = 0;
    return !failed_;
}

bool RunWriter::put_bytes(std::string_view bytes) {
    if (failed_) return false;
    if (fill_ + bytes.size() > buffer_.size()) {
        if (!flush()) return false;
        if (bytes.size() > buffer_.size()) return write_out(bytes.data(), bytes.size());
    }
    std::memcpy(buffer_.data() + fill_, bytes.data(), bytes.size());
    fill_ += bytes.size();
    return true;
}

bool RunWriter::put(std::string_view line) {
    Length length = line.size();
    char prefix[sizeof length];
    std::memcpy(prefix, &length, sizeof length);
    return put_bytes(std::string_view(prefix, sizeof prefix)) && put_bytes(line);
}

RunReader::RunReader(platform::OsHandle file, std::size_t buffer_bytes)
    : file_(file), buffer_(std::max<std::size_t>(buffer_bytes, sizeof(Length))) {}

bool RunReader::ensure(std::size_t size) {
    if (fill_ - position_ >= size) return true;
    // Keep what is left at the front and fill the rest.
    std::memmove(buffer_.data(), buffer_.data() + position_, fill_ - position_);
    fill_ -= position_;
    position_ = 0;
    while (fill_ < size) {
        std::uint32_t wanted = static_cast<std::uint32_t>(std::min(buffer_.size() - fill_, largest_call));
        std::uint32_t got = 0;
        if (!platform::read_file(file_, buffer_.data() + fill_, wanted, got).ok) {
            failed_ = true;
            return false;
        }
        if (got == 0) {
            // A run that stops inside a line was cut short.
            if (fill_ > 0) failed_ = true;
            return false;
        }
        fill_ += got;
    }
    return true;
}

bool RunReader::next(std::string_view& line) {
    if (failed_ || !ensure(sizeof(Length))) return false;
    Length length = 0;
    std::memcpy(&length, buffer_.data() + position_, sizeof length);
    position_ += sizeof length;
    if (length <= buffer_.size()) {
        if (!ensure(static_cast<std::size_t>(length))) {
            failed_ = true;
            return false;
        }
        line = std::string_view(buffer_.data() + position_, static_cast<std::size_t>(length));
        position_ += static_cast<std::size_t>(length);
        return true;
    }
    // Longer than the buffer: what is buffered, then the rest straight in.
    std::size_t size = static_cast<std::size_t>(length);
    std::size_t buffered = fill_ - position_;
    long_line_.assign(buffer_.data() + position_, buffered);
    position_ = fill_ = 0;
    long_line_.resize(size);
    for (std::size_t have = buffered; have < size;) {
        std::uint32_t wanted = static_cast<std::uint32_t>(std::min(size - have, largest_call));
        std::uint32_t got = 0;
        if (!platform::read_file(file_, long_line_.data() + have, wanted, got).ok || got == 0) {
            failed_ = true;
            return false;
        }
        have += got;
    }
    line = long_line_;
    return true;
}

}  // namespace ketrav::standins
