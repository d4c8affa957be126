// The sort's output: lines, each followed by CR LF, gathered into writes of
// a buffer's size.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace ketrav::standins {

// Where the sorted output goes; false when the bytes could not be written.
using ByteSink = std::function<bool(const char* bytes, std::size_t size)>;

class LineOutput {
   public:
    LineOutput(const ByteSink& sink, std::size_t buffer_bytes);
    // A whole line and its CR LF.
    bool put(std::string_view line);
    // Bytes as they come, for a line given in pieces (and its CR LF).
    bool put_bytes(std::string_view bytes);
    bool flush();

   private:
    const ByteSink& sink_;
    std::vector<char> buffer_;
    std::size_t fill_ = 0;
    bool ok_ = true;
};

}  // namespace ketrav::standins
