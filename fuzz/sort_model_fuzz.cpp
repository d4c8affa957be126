// Any input for the sort stand-in, in runs of any size, against a model
// written apart from it:
// lines end at CR or CR LF, LF belongs to the line, 0x1A ends the input;
// the lines come out in byte order (unsigned), equal ones in input order,
// each with CR LF.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/scratch_files.h"
#include "standins/external_sort.h"

namespace {

std::string model_sort(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string current;
    bool open_line = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\x1A') break;
        if (c == '\r') {
            lines.push_back(current);
            current.clear();
            open_line = false;
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            continue;
        }
        current += c;
        open_line = true;
    }
    if (open_line) lines.push_back(current);
    std::stable_sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        });
    });
    std::string out;
    for (const std::string& line : lines) out += line + "\r\n";
    return out;
}

}  // namespace

// The input's first byte picks the run size and the long-line size, so that
// the fuzzer drives runs, merge rounds, lines longer than a run and lines
// too long to hold, as well as the one sort in memory.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t pick = data[0];
    ketrav::standins::SortLimits limits{pick * 4 + 1, 2 + pick % 3, 16,
                                        pick % 2 ? std::size_t{1} << 20 : 1 + pick % 64};
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    ketrav::standins::ExternalSort sort(limits, ketrav::platform::scratch_directory());
    std::string out;
    bool ok = sort.add(bytes.data(), bytes.size()) && sort.finish([&out](const char* b, std::size_t n) {
        out.append(b, n);
        return true;
    });
    if (!ok || out != model_sort(bytes)) std::abort();
    return 0;
}
