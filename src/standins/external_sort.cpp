// Runs, spills and the merge.
#include "standins/external_sort.h"

#include <algorithm>
#include <new>

#include "platform/file_io.h"
#include "platform/scratch_files.h"
#include "standins/line_output.h"
#include "standins/run_files.h"

namespace ketrav::standins {
namespace {

// One source of a merge: a run being read, and its current line.
struct MergeSource {
    RunReader reader;
    std::string_view line;
};

// Long lines are known by this many of their first bytes.
constexpr std::size_t long_line_prefix = 4096;

SortLimits sane(SortLimits limits) {
    limits.merge_width = std::max<std::size_t>(limits.merge_width, 2);
    limits.long_line_bytes = std::max<std::size_t>(limits.long_line_bytes, 1);
    return limits;
}

}  // namespace

ExternalSort::ExternalSort(SortLimits limits, std::string scratch_directory)
    : limits_(sane(limits)),
      scratch_directory_(std::move(scratch_directory)),
      long_lines_(scratch_directory_, std::min(long_line_prefix, limits_.long_line_bytes), limits_.buffer_bytes),
      lines_(limits_.long_line_bytes, &long_lines_) {}

ExternalSort::~ExternalSort() { close_runs(runs_); }

void ExternalSort::close_runs(std::vector<platform::OsHandle>& runs) {
    for (platform::OsHandle run : runs) platform::close_handle(run);
    runs.clear();
}

bool ExternalSort::add(const char* bytes, std::size_t size) {
    try {
        while (!failed_ && size > 0) {
            std::size_t taken = lines_.add(bytes, size, limits_.run_bytes);
            bytes += taken;
            size -= taken;
            if (lines_.failed() || (size > 0 && !spill_run())) failed_ = true;
        }
    } catch (const std::bad_alloc&) {
        failed_ = true;
    }
    return !failed_;
}

// Sorts the complete lines held and writes them out as a run of their own.
bool ExternalSort::spill_run() {
    platform::OsHandle file;
    if (!platform::create_scratch_file(scratch_directory_, file).ok) return false;
    runs_.push_back(file);
    ++runs_written_;
    lines_.sort_lines();
    RunWriter writer(file, limits_.buffer_bytes);
    for (std::size_t i = 0; i < lines_.line_count(); ++i)
        if (!writer.put(lines_.line(i))) return false;
    if (!writer.flush()) return false;
    lines_.drop_complete_lines();
    return true;
}

// Merges the runs in `sources` in order into `put`; closes them.
bool ExternalSort::merge_into(std::vector<platform::OsHandle> sources,
                              const std::function<bool(std::string_view)>& put) {
    std::vector<MergeSource> open;
    open.reserve(sources.size());
    bool ok = true;
    for (platform::OsHandle run : sources) {
        if (!platform::set_file_pointer(run, 0).ok) ok = false;
        open.push_back({RunReader(run, limits_.buffer_bytes), {}});
    }
    // A heap of the sources with a current line, the least line on top.
    std::vector<std::size_t> heap;
    auto after = [&open](std::size_t a, std::size_t b) {
        int order = open[a].line.compare(open[b].line);
        return order != 0 ? order > 0 : a > b;
    };
    for (std::size_t i = 0; ok && i < open.size(); ++i) {
        if (open[i].reader.next(open[i].line))
            heap.push_back(i);
        else if (open[i].reader.failed())
            ok = false;
    }
    std::make_heap(heap.begin(), heap.end(), after);
    while (ok && !heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), after);
        std::size_t least = heap.back();
        if (!put(open[least].line)) ok = false;
        if (open[least].reader.next(open[least].line))
            std::push_heap(heap.begin(), heap.end(), after);
        else {
            heap.pop_back();
            if (open[least].reader.failed()) ok = false;
        }
    }
    close_runs(sources);
    return ok;
}

// Merges the runs a width at a time into fewer, longer runs, in order.
bool ExternalSort::merge_round() {
    // The groups' handles pass to their merges, which close them.
    std::vector<platform::OsHandle> earlier;
    earlier.swap(runs_);
    std::vector<platform::OsHandle> merged;
    bool ok = true;
    for (std::size_t first = 0; first < earlier.size(); first += limits_.merge_width) {
        std::size_t last = std::min(first + limits_.merge_width, earlier.size());
        std::vector<platform::OsHandle> group(earlier.begin() + static_cast<std::ptrdiff_t>(first),
                                              earlier.begin() + static_cast<std::ptrdiff_t>(last));
        platform::OsHandle file;
        if (!ok || !platform::create_scratch_file(scratch_directory_, file).ok) {
            close_runs(group);
            ok = false;
            continue;
        }
        merged.push_back(file);
        ++runs_written_;
        RunWriter writer(file, limits_.buffer_bytes);
        ok = merge_into(std::move(group), [&writer](std::string_view line) { return writer.put(line); }) &&
             writer.flush();
    }
    runs_ = std::move(merged);
    return ok;
}

bool ExternalSort::finish(const ByteSink& sink) {
    if (failed_) return false;
    try {
        lines_.finish();
        if (lines_.failed() || !long_lines_.sort()) return failed_ = true, false;
        LineOutput output(sink, limits_.buffer_bytes);
        // Each line goes out after the long lines that sort before it.
        auto put = [this, &output](std::string_view line) {
            return long_lines_.give_out_before(&line, output) && output.put(line);
        };
        if (runs_.empty()) {
            // The whole input in one run: sorted in memory, no run file.
            lines_.sort_lines();
            for (std::size_t i = 0; i < lines_.line_count(); ++i)
                if (!put(lines_.line(i))) return failed_ = true, false;
        } else {
            if (lines_.line_count() > 0 && !spill_run()) return failed_ = true, false;
            lines_.release();
            while (runs_.size() > limits_.merge_width)
                if (!merge_round()) return failed_ = true, false;
            std::vector<platform::OsHandle> last;
            last.swap(runs_);
            if (!merge_into(std::move(last), put)) return failed_ = true, false;
        }
        if (!long_lines_.give_out_before(nullptr, output) || !output.flush()) return failed_ = true, false;
        return true;
    } catch (const std::bad_alloc&) {
        failed_ = true;
        return false;
    }
}

}  // namespace ketrav::standins
