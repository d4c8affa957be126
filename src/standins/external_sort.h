// The sort stand-in's work in bounded memory: input lines are collected into
// runs of at most a run's size, each run sorted and spilled to a scratch
// file, and the runs merged into the output; lines too long to hold go to a
// file of their own and join the output in their turn. An input that fits
// in one run never touches the disk.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os_status.h"
#include "standins/line_collector.h"
#include "standins/line_output.h"
#include "standins/long_lines.h"

namespace ketrav::standins {

struct SortLimits {
    // Line bytes plus their spans held in memory at once.
    std::size_t run_bytes = 32u << 20;
    // Runs merged at once; more runs are merged in rounds.
    std::size_t merge_width = 64;
    // Each run file's buffer while writing or merging, and the output's.
    std::size_t buffer_bytes = 256u << 10;
    // A line longer than this is never held whole: it goes to the long
    // lines' file and is read back in pieces.
    std::size_t long_line_bytes = 1u << 20;
};

class ExternalSort {
   public:
    ExternalSort(SortLimits limits, std::string scratch_directory);
    // Closes the run files, which the system then removes.
    ~ExternalSort();
    ExternalSort(const ExternalSort&) = delete;
    ExternalSort& operator=(const ExternalSort&) = delete;

    // Takes more input. False once anything has failed (a run that could
    // not be written, say); the sort is then of no further use.
    bool add(const char* bytes, std::size_t size);
    // True once 0x1A has ended the input: later bytes are ignored.
    bool input_ended() const { return lines_.input_ended(); }
    // Ends the input and writes every line in byte order, bytes taken as
    // unsigned, each followed by CR LF. False on any failure.
    bool finish(const ByteSink& sink);

    // Run files written so far, merge rounds included.
    std::size_t runs_written() const { return runs_written_; }

   private:
    bool spill_run();
    bool merge_into(std::vector<platform::OsHandle> sources, const std::function<bool(std::string_view)>& put);
    bool merge_round();
    void close_runs(std::vector<platform::OsHandle>& runs);

    SortLimits limits_;
    std::string scratch_directory_;
    LongLines long_lines_;
    LineCollector lines_;
    std::vector<platform::OsHandle> runs_;
    std::size_t runs_written_ = 0;
    bool failed_ = false;
};

}  // namespace ketrav::standins
