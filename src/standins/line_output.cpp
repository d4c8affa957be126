// Buffered output of sorted lines.
#include "standins/line_output.h"

#include <algorithm>

namespace ketrav::standins {

LineOutput::LineOutput(const ByteSink& sink, std::size_t buffer_bytes)
    : sink_(sink), buffer_(std::max<std::size_t>(buffer_bytes, 2)) {}

bool LineOutput::put_bytes(std::string_view bytes) {
    if (!ok_) return false;
    if (fill_ + bytes.size() > buffer_.size()) {
        if (!flush()) return false;
        // Too big to gather: straight through.
        if (bytes.size() > buffer_.size()) return ok_ = sink_(bytes.data(), bytes.size());
    }
    std::copy(bytes.begin(), bytes.end(), buffer_.begin() + static_cast<std::ptrdiff_t>(fill_));
    fill_ += bytes.size();
    return true;
}

bool LineOutput::put(std::string_view line) {
    if (fill_ + line.size() + 2 <= buffer_.size() && ok_) {
        std::copy(line.begin(), line.end(), buffer_.begin() + static_cast<std::ptrdiff_t>(fill_));
        fill_ += line.size();
        buffer_[fill_++] = '\r';
        buffer_[fill_++] = '\n';
        return true;
    }
    return put_bytes(line) && put_bytes("\r\n");
}

bool LineOutput::flush() {
    if (ok_ && fill_ > 0) ok_ = sink_(buffer_.data(), fill_);
    fill_ = 0;
    return ok_;
}

}  // namespace ketrav::standins
