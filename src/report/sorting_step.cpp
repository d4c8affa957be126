// The sorting step.
#include "report/sorting_step.h"

#include "report/run_values.h"
#include "services/command_runner.h"

namespace ketrav::report {

void sort_area_records() { services::run_command(sorting_command, services::show_normal, true, false); }

}  // namespace ketrav::report
