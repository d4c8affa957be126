// Any command line: the tail's position lies within it, and the whole tail
// is the rest of the line from there, unchanged, asked for twice alike.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "services/date_and_command_tail.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string line(reinterpret_cast<const char*>(data), size);
    std::size_t at = ketrav::services::locate_command_tail(line);
    if (at > line.size()) std::abort();
    std::string tail = ketrav::services::command_tail();
    if (tail != line.substr(at) || ketrav::services::command_tail() != tail) std::abort();
    // Parameters are pieces of the tail.
    for (std::int32_t n = 1; n <= 3; ++n)
        if (ketrav::services::command_tail(n).size() > tail.size()) std::abort();
    return 0;
}
