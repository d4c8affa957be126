// The sorting step.
#include "report/sorting_step.h"

#include "report/run_values.h"
#include "services/command_runner.h"

namespace ketrav::report {

bool sort_area_records() { return services::run_command_successfully(sorting_command, services::show_normal); }

}  // namespace ketrav::report
