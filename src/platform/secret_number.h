// Numbers no one else can foresee or learn: for names another user must not
// guess, and for keys that exist only in a run's memory. They come from the
// system's random source alone: where it gives nothing, the call fails, and
// nothing (a clock, a process number) stands in for it, as anyone could
// foresee that.
#pragma once

#include <cstddef>

#include "platform/os_status.h"

namespace ketrav::platform {

// Fills `into` with `size` random bytes, or fails with nothing promised of
// them.
OsStatus secret_bytes(void* into, std::size_t size);

}  // namespace ketrav::platform
