// The whole run: configuration, log scan, sorting step, report, clean-up.
#pragma once

namespace ketrav::report {

// The report on disk is a whole account of the log (a missing log reads as
// an empty one).
inline constexpr int exit_whole_report = 0;
// The report is missing, stale, cut short, or its areas do not add up to
// its total: the log or ketrav.ini could not be read, or a file could not be
// written whole, or the sort did not give back every record.
inline constexpr int exit_report_not_whole = 1;

// Runs to the end whatever fails on the way, and returns the process exit
// code. (A fatal error ends the process at once with 255.)
int run_report();

}  // namespace ketrav::report
