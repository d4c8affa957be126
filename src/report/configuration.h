// The configuration: ketrav.ini's first line, when it names an existing
// file, is the log.
#pragma once

#include "report/run_values.h"

namespace ketrav::report {

// Sets the run's log path from ketrav.ini (the default stays when there is
// no ketrav.ini, or its first line names no existing file). False when
// ketrav.ini, or the file its line names, is there but could not be read or
// looked at: the default log is then not the sysop's.
bool read_configuration(RunValues& run);

}  // namespace ketrav::report
