// Forbidden: the stand-ins use the OS layer only.
#include "services/text.h"

int probe() { return 0; }
