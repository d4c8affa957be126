// Long lines: one scratch file of their bytes, compared and given out in
// pieces of a buffer's size.
#include "standins/long_lines.h"

#include <algorithm>
#include <cstring>

#include "platform/file_io.h"
#include "platform/scratch_files.h"

namespace ketrav::standins {
namespace {

int sign(int order) { return order < 0 ? -1 : order > 0 ? 1 : 0; }

}  // namespace

LongLines::LongLines(std::string scratch_directory, std::size_t prefix_bytes, std::size_t buffer_bytes)
    : scratch_directory_(std::move(scratch_directory)),
      prefix_bytes_(prefix_bytes),
      buffer_bytes_(std::max<std::size_t>(buffer_bytes, 1)) {}

LongLines::~LongLines() {
    writer_.reset();
    if (file_.valid()) platform::close_handle(file_);
}

bool LongLines::write(std::string_view bytes) {
    if (failed_ || !writer_->put_bytes(bytes)) return !(failed_ = true);
    written_ += bytes.size();
    if (current_.prefix.size() < prefix_bytes_)
        current_.prefix.append(bytes.substr(0, prefix_bytes_ - current_.prefix.size()));
    current_.length += bytes.size();
    return true;
}

bool LongLines::begin_line(std::string_view start) {
    if (failed_) return false;
    if (!file_.valid()) {
        if (!platform::create_scratch_file(scratch_directory_, file_).ok) return !(failed_ = true);
        writer_ = std::make_unique<RunWriter>(file_, buffer_bytes_);
    }
    current_ = Line{};
    current_.offset = written_;
    return write(start);
}

bool LongLines::continue_line(std::string_view more) { return write(more); }

bool LongLines::end_line() {
    if (failed_) return false;
    lines_.push_back(std::move(current_));
    current_ = Line{};
    return true;
}

bool LongLines::read_at(std::uint64_t offset, char* buffer, std::size_t size) {
    while (size > 0) {
        std::uint32_t got = 0;
        std::uint32_t wanted = static_cast<std::uint32_t>(std::min<std::size_t>(size, 1u << 30));
        if (!platform::read_file_at(file_, offset, buffer, wanted, got).ok || got == 0) return !(failed_ = true);
        offset += got;
        buffer += got;
        size -= got;
    }
    return true;
}

int LongLines::compare_tail(std::string_view bytes, const Line& line, std::uint64_t from) {
    chunk_a_.resize(buffer_bytes_);
    std::uint64_t left = line.length - from;
    while (!bytes.empty() && left > 0) {
        std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>({buffer_bytes_, bytes.size(), left}));
        if (!read_at(line.offset + from, chunk_a_.data(), size)) return 0;
        if (int order = std::memcmp(bytes.data(), chunk_a_.data(), size)) return sign(order);
        bytes.remove_prefix(size);
        from += size;
        left -= size;
    }
    return bytes.empty() ? (left == 0 ? 0 : -1) : 1;
}

int LongLines::compare(std::string_view a, const Line& b) {
    std::size_t common = std::min(a.size(), b.prefix.size());
    if (int order = std::memcmp(a.data(), b.prefix.data(), common)) return sign(order);
    if (a.size() <= b.prefix.size()) return a.size() < b.length ? -1 : 0;
    return compare_tail(a.substr(b.prefix.size()), b, b.prefix.size());
}

int LongLines::compare(const Line& a, const Line& b) {
    if (int order = a.prefix.compare(b.prefix)) return sign(order);
    // Alike as far as both prefixes go: the rest, a piece at a time.
    chunk_b_.resize(buffer_bytes_);
    std::uint64_t at = a.prefix.size();
    while (at < a.length && at < b.length) {
        std::size_t size =
            static_cast<std::size_t>(std::min<std::uint64_t>({buffer_bytes_, a.length - at, b.length - at}));
        if (!read_at(a.offset + at, chunk_b_.data(), size)) return 0;
        if (int order = compare_tail(std::string_view(chunk_b_.data(), size), Line{{}, b.offset + at, size}, 0))
            return order;
        at += size;
    }
    return a.length < b.length ? -1 : a.length > b.length ? 1 : 0;
}

bool LongLines::sort() {
    if (lines_.empty()) return !failed_;
    if (failed_ || !writer_->flush()) return !(failed_ = true);
    // A stable sort stays within bounds even if a failed read made two
    // comparisons disagree; the failure is told all the same.
    std::stable_sort(lines_.begin(), lines_.end(), [this](const Line& a, const Line& b) { return compare(a, b) < 0; });
    return !failed_;
}

bool LongLines::give_out_before(const std::string_view* line, LineOutput& out) {
    if (given_out_ == lines_.size()) return !failed_;  // the usual case, once per line
    chunk_b_.resize(buffer_bytes_);
    while (!failed_ && given_out_ < lines_.size()) {
        const Line& next = lines_[given_out_];
        if (line && compare(*line, next) < 0) break;
        if (!out.put_bytes(next.prefix)) return false;
        for (std::uint64_t at = next.prefix.size(); at < next.length;) {
            std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(buffer_bytes_, next.length - at));
            if (!read_at(next.offset + at, chunk_b_.data(), size)) return false;
            if (!out.put_bytes(std::string_view(chunk_b_.data(), size))) return false;
            at += size;
        }
        if (!out.put_bytes("\r\n")) return false;
        ++given_out_;
    }
    return !failed_;
}

}  // namespace ketrav::standins
