// The whole run: configuration, log scan, sorting step, report, clean-up.
#pragma once

namespace ketrav::report {

// This run's whole report is in the place of KetRAV.Rpt (a missing log
// reads as an empty one).
inline constexpr int exit_whole_report = 0;
// No report was made, and KetRAV.Rpt is exactly as it was: another run was
// under way, the log or ketrav.ini could not be read, the log was cut under
// the run, a leftover file could not be removed, the sort failed, or a file
// could not be written whole.
inline constexpr int exit_report_not_whole = 1;

// Returns the process exit code. (A fatal error ends the process at once
// with 255.)
int run_report();

}  // namespace ketrav::report
