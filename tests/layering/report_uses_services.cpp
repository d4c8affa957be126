// Allowed: the report layer uses the services' public headers.
#include "services/text_files.h"

int probe() { return ketrav::services::truth_true; }
