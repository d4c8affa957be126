// Splitting, ordering and joining lines for the sort stand-in.
#include "standins/sort_lines.h"

#include <algorithm>

namespace ketrav::standins {

std::vector<std::string> split_lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t end = bytes.find('\x1A');
    if (end == std::string::npos) end = bytes.size();
    std::size_t start = 0;
    while (start < end) {
        std::size_t cr = bytes.find('\r', start);
        if (cr == std::string::npos || cr >= end) {
            lines.push_back(bytes.substr(start, end - start));
            break;
        }
        lines.push_back(bytes.substr(start, cr - start));
        start = cr + 1;
        if (start < end && bytes[start] == '\n') ++start;
    }
    return lines;
}

std::string sorted_text(std::vector<std::string> lines) {
    // std::string compares through char_traits<char>, which orders bytes as
    // unsigned char: exactly the byte-wise order wanted.
    std::stable_sort(lines.begin(), lines.end());
    std::string out;
    std::size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 2;
    out.reserve(size);
    for (const std::string& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

}  // namespace ketrav::standins
