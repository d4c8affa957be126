// Lines too long to hold in memory (a log whose lines end in LF alone is one
// such line): their bytes go to one scratch file, and each is known by its
// first bytes, its place and its length. They are sorted among themselves
// and given out in their turn among the other lines, read back in pieces,
// so that memory stays bounded whatever their length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os_status.h"
#include "standins/line_collector.h"
#include "standins/line_output.h"
#include "standins/run_files.h"

namespace ketrav::standins {

class LongLines : public LongLineSink {
   public:
    // Each line is known by its first `prefix_bytes`; every line given is
    // longer than that.
    LongLines(std::string scratch_directory, std::size_t prefix_bytes, std::size_t buffer_bytes);
    ~LongLines() override;
    LongLines(const LongLines&) = delete;
    LongLines& operator=(const LongLines&) = delete;

    bool begin_line(std::string_view start) override;
    bool continue_line(std::string_view more) override;
    bool end_line() override;

    std::size_t count() const { return lines_.size(); }
    // Puts the lines in byte order; false when they could not be read back.
    bool sort();
    // Writes to `out`, each with CR LF, the lines not yet given that sort
    // before `line`, or all of them when `line` is null. A long line never
    // equals a line held in memory: it is longer than any of them.
    bool give_out_before(const std::string_view* line, LineOutput& out);
    bool failed() const { return failed_; }

   private:
    struct Line {
        std::string prefix;
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
    };

    bool write(std::string_view bytes);
    // The order of `bytes` against the line's bytes from `from` on.
    int compare_tail(std::string_view bytes, const Line& line, std::uint64_t from);
    int compare(const Line& a, const Line& b);
    int compare(std::string_view a, const Line& b);
    bool read_at(std::uint64_t offset, char* buffer, std::size_t size);

    std::string scratch_directory_;
    std::size_t prefix_bytes_;
    std::size_t buffer_bytes_;
    platform::OsHandle file_;
    std::unique_ptr<RunWriter> writer_;
    std::uint64_t written_ = 0;
    std::vector<Line> lines_;
    Line current_;
    std::size_t given_out_ = 0;
    std::vector<char> chunk_a_, chunk_b_;
    bool failed_ = false;
};

}  // namespace ketrav::standins
