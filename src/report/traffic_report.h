// The second pass: the sorted records grouped by area, and the report.
#pragma once

#include "report/run_values.h"

namespace ketrav::report {

// Reads the sorted records in the reading slot and writes the whole report
// to the writing slot; counts the records it read.
void write_traffic_report(RunValues& run);

}  // namespace ketrav::report
