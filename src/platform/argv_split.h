// Splitting a command line into arguments by the Windows rules.
#pragma once

#include <string>
#include <vector>

namespace ketrav::platform {

// The program name runs to the next space or tab, or, when it begins with a
// double quote, to the next double quote. In the arguments that follow,
// double quotes group spaces, 2n backslashes before a quote give n and 2n+1
// give n and a literal quote, and "" inside quotes is one literal quote.
std::vector<std::string> split_command_line(const std::string& line);

}  // namespace ketrav::platform
