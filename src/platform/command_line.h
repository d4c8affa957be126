// The process's command line as one text.
#pragma once

#include <string>

namespace ketrav::platform {

// On Windows the system's own command line; on POSIX it is rebuilt from argv:
// the program name (in double quotes when it holds a space), then the
// arguments joined by single spaces.
std::string process_command_line(int argc, const char* const* argv);

}  // namespace ketrav::platform
