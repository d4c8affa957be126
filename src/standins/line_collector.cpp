// Splitting input into lines held in one buffer.
#include "standins/line_collector.h"

#include <algorithm>
#include <cstring>

namespace ketrav::standins {
namespace {

constexpr char carriage_return = '\r';
constexpr char line_feed = '\n';
constexpr char end_of_input_mark = '\x1A';
constexpr std::size_t smallest_buffer = 64 * 1024;

}  // namespace

void LineCollector::append(const char* bytes, std::size_t size, std::size_t limit) {
    std::size_t needed = buffer_.size() + size;
    if (needed > buffer_.capacity()) {
        // Grow by doubling, but never past the limit unless one line needs it:
        // a run's buffer is its largest allocation.
        std::size_t doubled = std::max(buffer_.capacity() * 2, smallest_buffer);
        buffer_.reserve(std::max(needed, std::min(doubled, limit)));
    }
    buffer_.append(bytes, size);
}

void LineCollector::extend_line(const char* bytes, std::size_t size, std::size_t limit) {
    if (!in_long_line_ && long_lines_ && partial_bytes() + size > long_line_bytes_) {
        std::string_view start(buffer_.data() + partial_start_, partial_bytes());
        if (!long_lines_->begin_line(start)) failed_ = true;
        buffer_.resize(partial_start_);
        in_long_line_ = true;
    }
    if (!in_long_line_) return append(bytes, size, limit);
    if (size > 0 && !long_lines_->continue_line(std::string_view(bytes, size))) failed_ = true;
}

void LineCollector::end_line() {
    if (in_long_line_) {
        if (!long_lines_->end_line()) failed_ = true;
        in_long_line_ = false;
        return;
    }
    spans_.push_back({partial_start_, buffer_.size() - partial_start_});
    partial_start_ = buffer_.size();
}

std::size_t LineCollector::add(const char* bytes, std::size_t size, std::size_t limit) {
    if (ended_) return size;
    const char* at = bytes;
    const char* end = bytes + size;
    if (const void* mark = std::memchr(bytes, end_of_input_mark, size)) end = static_cast<const char*>(mark);
    if (skip_line_feed_ && at < end) {
        skip_line_feed_ = false;
        if (*at == line_feed) ++at;
    }
    while (at < end) {
        const void* found = std::memchr(at, carriage_return, static_cast<std::size_t>(end - at));
        const char* stop = found ? static_cast<const char*>(found) : end;
        std::size_t piece = static_cast<std::size_t>(stop - at);
        if (!in_long_line_ && !spans_.empty() && held_bytes() + piece + sizeof(Span) > limit)
            return static_cast<std::size_t>(at - bytes);
        extend_line(at, piece, limit);
        at = stop;
        if (!found) break;
        end_line();
        ++at;  // the CR
        if (at == end)
            skip_line_feed_ = true;
        else if (*at == line_feed)
            ++at;
    }
    if (end != bytes + size) {
        ended_ = true;
        finish();
    }
    return size;
}

void LineCollector::finish() {
    if (in_long_line_ || buffer_.size() > partial_start_) end_line();
    ended_ = true;
}

void LineCollector::sort_lines() {
    // string_view compares through char_traits<char>, which orders bytes as
    // unsigned char: the byte-wise order wanted. Equal lines are the same
    // bytes, so their order among themselves cannot show.
    const char* base = buffer_.data();
    std::sort(spans_.begin(), spans_.end(), [base](const Span& a, const Span& b) {
        return std::string_view(base + a.offset, a.length) < std::string_view(base + b.offset, b.length);
    });
}

void LineCollector::drop_complete_lines() {
    buffer_.erase(0, partial_start_);
    partial_start_ = 0;
    spans_.clear();
}

void LineCollector::release() {
    std::string().swap(buffer_);
    std::vector<Span>().swap(spans_);
    partial_start_ = 0;
}

}  // namespace ketrav::standins
