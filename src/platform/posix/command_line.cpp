// POSIX backend of command_line.h: the line rebuilt from argv.
#include "platform/command_line.h"

namespace ketrav::platform {

std::string process_command_line(int argc, const char* const* argv) {
    std::string line;
    if (argc <= 0 || argv == nullptr || argv[0] == nullptr) return line;
    std::string program = argv[0];
    line = program.find(' ') == std::string::npos ? program : "\"" + program + "\"";
    for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
        line += ' ';
        line += argv[i];
    }
    return line;
}

}  // namespace ketrav::platform
