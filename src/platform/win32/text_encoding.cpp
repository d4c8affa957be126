// Windows backend of text_encoding.h: the ANSI code page, as the file calls
// that end in A take names.
#include "platform/text_encoding.h"

#include <windows.h>

#include <vector>

namespace ketrav::platform {

std::string narrow_name_from_utf16(const std::u16string& name) {
    if (name.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(name.data());
    int length = static_cast<int>(name.size());
    int size = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::vector<char> narrow(static_cast<std::size_t>(size));
    size = WideCharToMultiByte(CP_ACP, 0, wide, length, narrow.data(), size, nullptr, nullptr);
    return size <= 0 ? std::string() : std::string(narrow.data(), static_cast<std::size_t>(size));
}

}  // namespace ketrav::platform
