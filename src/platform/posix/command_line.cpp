// POSIX backend of command_line.h: the line rebuilt from argv.
#include "platform/command_line.h"

namespace ketrav::platform {

std::string process_command_line(int argc, const char* const* argv) {
    std::string line;
    if (argc <= 0 || argv == nullptr || argv[0] == nullptr) return line;
    // A Windows command line cannot carry a double quote in the program's
    // name (no Windows file name holds one); left in, it would end the
    // quoted name early and the rest of the name would become the title.
    std::string program;
    for (const char* c = argv[0]; *c; ++c)
        if (*c != '"') program += *c;
    line = program.find(' ') == std::string::npos ? program : "\"" + program + "\"";
    for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
        line += ' ';
        line += argv[i];
    }
    return line;
}

}  // namespace ketrav::platform
