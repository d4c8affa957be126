// Windows backend of command_line.h: the system's own command line.
#include "platform/command_line.h"

#include <windows.h>

namespace ketrav::platform {

std::string process_command_line(int, const char* const*) {
    const char* line = GetCommandLineA();
    return line ? std::string(line) : std::string();
}

}  // namespace ketrav::platform
