// POSIX only: where a program named on a command line is found.
#pragma once

#include <string>

#include "platform/os_status.h"

namespace ketrav::platform {

// A name with a directory part is taken as it is. A bare name is looked up
// in the running program's own directory, then in its private helper
// directory (../libexec/ketrav when installed), then along PATH; never in the
// current directory. Nothing found gives 2.
OsStatus find_program(const std::string& name, std::string& path);

}  // namespace ketrav::platform
