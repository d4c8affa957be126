// Any bytes as a text file: reading lines never fails to end, never loses a
// byte before the 0x1A, and never leaves CR inside a line.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_directory.h"
#include "services/text_files.h"

using namespace ketrav::services;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = (ketrav_fuzz_directory() / "ketrav-fuzz-lines.txt").string();
    std::string bytes(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    open_for_reading(path, 1);
    std::size_t kept = 0;
    while (at_end(1) == truth_false) {
        std::string line = read_line(1);
        if (line.find('\r') != std::string::npos || line.find('\x1A') != std::string::npos) std::abort();
        kept += line.size();
    }
    close_all();
    std::size_t end = bytes.find('\x1A');
    std::string before = bytes.substr(0, end);
    std::size_t content = before.size();
    for (char c : before) content -= c == '\r';
    // Only CRs and the LFs right after them are dropped.
    std::size_t dropped_lf = 0;
    for (std::size_t i = 1; i < before.size(); ++i) dropped_lf += before[i] == '\n' && before[i - 1] == '\r';
    if (kept != content - dropped_lf) std::abort();
    return 0;
}
