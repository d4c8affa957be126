// The few command tails that ask about the program instead of giving a
// report its title.
#pragma once

#include <string>

namespace ketrav::report {

enum class CommandRequest { report, usage, version };

// What the whole command tail asks for: exactly "--help" or "-h" (and "/?"
// in the Windows build) the usage, exactly "--version" the version. Any
// other tail, the empty one and "--helpme" among them, is a report's title.
CommandRequest command_request(const std::string& tail);

// The texts printed for those requests, each line ended as the system ends
// its lines.
std::string usage_text();
std::string version_text();

}  // namespace ketrav::report
