// The sort's input side: bytes split into lines by KetRAV's own line rules
// and held in one buffer, as views, up to a run's worth at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ketrav::standins {

// Takes the lines too long to hold in memory, piece by piece. Each call
// returns false when the piece could not be kept (a full disk).
class LongLineSink {
   public:
    virtual ~LongLineSink() = default;
    virtual bool begin_line(std::string_view start) = 0;
    virtual bool continue_line(std::string_view more) = 0;
    virtual bool end_line() = 0;
};

class LineCollector {
   public:
    LineCollector() = default;
    // A line that grows past `long_line_bytes` goes to `long_lines` instead
    // of the buffer: its bytes so far, then every later piece, then its end.
    LineCollector(std::size_t long_line_bytes, LongLineSink* long_lines)
        : long_line_bytes_(long_line_bytes), long_lines_(long_lines) {}

    // A line's place in the buffer.
    struct Span {
        std::size_t offset;
        std::size_t length;
    };

    // Splits `bytes` on from where the last call stopped: a line ends at CR
    // or CR LF (also when the CR and the LF come in different calls), LF
    // belongs to the line, and 0x1A ends the input for good. Stops early,
    // before growing past `limit` held bytes while complete lines are held,
    // so that the caller can take them away; returns the bytes taken.
    std::size_t add(const char* bytes, std::size_t size, std::size_t limit);
    // Ends the input: a last line without an end counts when it has bytes.
    void finish();

    bool input_ended() const { return ended_; }
    // True once the long-line sink refused a piece: lines are lost.
    bool failed() const { return failed_; }
    // Bytes held for complete lines, the partial one and the spans: what a
    // run's size limit is measured against.
    std::size_t held_bytes() const { return buffer_.size() + spans_.size() * sizeof(Span); }
    std::size_t line_count() const { return spans_.size(); }
    // Bytes of the line not yet ended.
    std::size_t partial_bytes() const { return buffer_.size() - partial_start_; }

    // Puts the complete lines in byte order, bytes taken as unsigned.
    void sort_lines();
    std::string_view line(std::size_t index) const {
        return {buffer_.data() + spans_[index].offset, spans_[index].length};
    }
    // Forgets the complete lines and keeps the partial one.
    void drop_complete_lines();
    // Gives the memory back (after the last run).
    void release();

   private:
    void append(const char* bytes, std::size_t size, std::size_t limit);
    // A piece of the line under way: into the buffer, or to the long lines.
    void extend_line(const char* bytes, std::size_t size, std::size_t limit);
    void end_line();

    std::string buffer_;
    std::vector<Span> spans_;
    std::size_t partial_start_ = 0;
    bool skip_line_feed_ = false;
    bool ended_ = false;
    bool failed_ = false;
    std::size_t long_line_bytes_ = SIZE_MAX;
    LongLineSink* long_lines_ = nullptr;
    // The line under way has gone to the long lines.
    bool in_long_line_ = false;
};

}  // namespace ketrav::standins
