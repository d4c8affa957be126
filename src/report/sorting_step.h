// The sorting step: the system's command interpreter and sort put the area
// records in order.
#pragma once

namespace ketrav::report {

// Runs the fixed sorting command in the current directory and waits for it.
// Its exit status is not looked at.
void sort_area_records();

}  // namespace ketrav::report
