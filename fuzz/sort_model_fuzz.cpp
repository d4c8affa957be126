// Any input for the sort stand-in, against a model written apart from it:
// lines end at CR or CR LF, LF belongs to the line, 0x1A ends the input;
// the lines come out in byte order (unsigned), equal ones in input order,
// each with CR LF.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "standins/sort_lines.h"

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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (ketrav::standins::sorted_text(ketrav::standins::split_lines(bytes)) != model_sort(bytes)) std::abort();
    return 0;
}
