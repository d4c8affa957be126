// The first line of ketrav.ini in the encodings Windows' own tools write.
#include "services/name_line.h"

#include <new>

#include "platform/text_encoding.h"
#include "services/run_time_errors.h"

namespace ketrav::services {
namespace {

const std::string utf8_mark = "\xEF\xBB\xBF";
const std::string utf16_little_mark = "\xFF\xFE";
const std::string utf16_big_mark = "\xFE\xFF";

// The first line of UTF-16 text: up to the first CR or 0x1A, as for the
// eight-bit text; an odd last byte is no character.
std::u16string first_utf16_line(const std::string& bytes, std::size_t from, bool big_endian) {
    std::u16string line;
    for (std::size_t i = from; i + 1 < bytes.size(); i += 2) {
        unsigned first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
        char16_t unit = static_cast<char16_t>(big_endian ? (first << 8) | second : (second << 8) | first);
        if (unit == u'\r' || unit == 0x1A) break;
        line.push_back(unit);
    }
    return line;
}

void remove_enclosing_quotes(std::string& line) {
    std::size_t size = line.size();
    if (size < 2 || line[0] != '"' || line[size - 1] != '"') return;
    line.pop_back();
    line.erase(0, 1);
}

}  // namespace

std::string name_in_first_line(const std::string& head) {
    try {
        std::string line;
        bool little = head.starts_with(utf16_little_mark), big = head.starts_with(utf16_big_mark);
        if (little || big) {
            line = platform::narrow_name_from_utf16(first_utf16_line(head, 2, big));
        } else {
            std::size_t from = head.starts_with(utf8_mark) ? utf8_mark.size() : 0;
            std::size_t end = head.find_first_of("\r\x1A", from);
            line = head.substr(from, end == std::string::npos ? std::string::npos : end - from);
        }
        remove_enclosing_quotes(line);
        return line;
    } catch (const std::bad_alloc&) {
        record_memory_failure();
        return {};
    }
}

}  // namespace ketrav::services
