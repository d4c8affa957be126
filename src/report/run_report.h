// The whole run: configuration, log scan, sorting step, report, clean-up.
#pragma once

namespace ketrav::report {

// Returns the process exit code: 0 whenever the run reaches its end,
// whatever failed on the way.
int run_report();

}  // namespace ketrav::report
