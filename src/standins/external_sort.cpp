// Runs, spills and the merge.
#include "standins/external_sort.h"

#include <algorithm>
#include <new>

#include "platform/file_io.h"
#include "platform/scratch_files.h"
#include "standins/run_files.h"

namespace ketrav::standins {
namespace {

// Gathers output lines, each with CR LF, into writes of a buffer's size.
class LineOutput {
public:
    LineOutput(const ByteSink& sink, std::size_t buffer_bytes) : sink_(sink), buffer_(buffer_bytes) {}

    bool put(std::string_view line) {
        if (!ok_) return false;
        if (fill_ + line.size() + 2 > buffer_.size()) {
            flush();
            if (line.size() + 2 > buffer_.size()) {
                ok_ = ok_ && sink_(line.data(), line.size()) && sink_("\r\n", 2);
                return ok_;
            }
        }
        std::copy(line.begin(), line.end(), buffer_.begin() + static_cast<std::ptrdiff_t>(fill_));
        fill_ += line.size();
        buffer_[fill_++] = '\r';
        buffer_[fill_++] = '\n';
        return true;
    }

    bool flush() {
        if (ok_ && fill_ > 0) ok_ = sink_(buffer_.data(), fill_);
        fill_ = 0;
        return ok_;
    }

private:
    const ByteSink& sink_;
    std::vector<char> buffer_;
    std::size_t fill_ = 0;
    bool ok_ = true;
};

// One source of a merge: a run being read, and its current line.
struct MergeSource {
    RunReader reader;
    std::string_view line;
};

}  // namespace

ExternalSort::ExternalSort(SortLimits limits, std::string scratch_directory)
    : limits_(limits), scratch_directory_(std::move(scratch_directory)) {
    limits_.merge_width = std::max<std::size_t>(limits_.merge_width, 2);
}

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
            if (size > 0 && !spill_run()) failed_ = true;
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
        LineOutput output(sink, limits_.buffer_bytes);
        if (runs_.empty()) {
            // The whole input in one run: sorted in memory, no file.
            lines_.sort_lines();
            for (std::size_t i = 0; i < lines_.line_count(); ++i)
                if (!output.put(lines_.line(i))) return false;
            return output.flush();
        }
        if (lines_.line_count() > 0 && !spill_run()) return failed_ = true, false;
        lines_.release();
        while (runs_.size() > limits_.merge_width)
            if (!merge_round()) return failed_ = true, false;
        std::vector<platform::OsHandle> last;
        last.swap(runs_);
        if (!merge_into(std::move(last), [&output](std::string_view line) { return output.put(line); }))
            return failed_ = true, false;
        return output.flush();
    } catch (const std::bad_alloc&) {
        failed_ = true;
        return false;
    }
}

}  // namespace ketrav::standins
