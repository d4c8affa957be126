// Forbidden: the report layer reaches into the POSIX backend's internals.
#include "platform/posix/paths.h"

int probe() { return 0; }
