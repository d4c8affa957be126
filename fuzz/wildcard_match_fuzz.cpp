// Any pattern against any name (split at the first NUL): the Windows rule
// never crashes, "*" and "*.*" match every name, and a name with no
// wildcard or dot matches itself.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/find_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::size_t nul = bytes.find('\0');
    std::string pattern = bytes.substr(0, nul);
    std::string name = nul == std::string::npos ? std::string("KetRAV1.txt") : bytes.substr(nul + 1);
    ketrav::platform::wildcard_match(pattern, name);
    if (!name.empty() && name.find('\0') == std::string::npos) {
        if (!ketrav::platform::wildcard_match("*", name) || !ketrav::platform::wildcard_match("*.*", name))
            std::abort();
        if (name.find_first_of("*?.<>\"") == std::string::npos && !ketrav::platform::wildcard_match(name, name))
            std::abort();
    }
    return 0;
}
