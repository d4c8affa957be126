// POSIX backend of text_encoding.h: UTF-16 to UTF-8.
#include "platform/text_encoding.h"

namespace ketrav::platform {
namespace {

void put_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool high_surrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool low_surrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::string narrow_name_from_utf16(const std::u16string& name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char16_t unit = name[i];
        if (high_surrogate(unit) && i + 1 < name.size() && low_surrogate(name[i + 1])) {
            char32_t c = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                         (static_cast<char32_t>(name[i + 1]) - 0xDC00);
            put_utf8(out, c);
            ++i;
        } else if (high_surrogate(unit) || low_surrogate(unit)) {
            put_utf8(out, 0xFFFD);
        } else {
            put_utf8(out, unit);
        }
    }
    return out;
}

}  // namespace ketrav::platform
