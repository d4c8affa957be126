// The sorting step: the system's command interpreter and sort put the area
// records in order.
#pragma once

namespace ketrav::report {

// Runs the fixed sorting command in the current directory and waits for it.
// True when it ran to its end with exit code 0: any other end may have left
// the sorted records short, or left none at all.
bool sort_area_records();

}  // namespace ketrav::report
