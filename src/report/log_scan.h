// The first pass: every import line of the log becomes one area record.
#pragma once

#include "report/run_values.h"

namespace ketrav::report {

// Reads the log in the reading slot to its end and writes one record per
// import line to the writing slot; keeps the total and the period's dates.
void scan_log(RunValues& run);

}  // namespace ketrav::report
