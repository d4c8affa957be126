// Numbers no one else can foresee or learn: for names another user must not
// guess, and for keys that exist only in a run's memory.
#pragma once

#include <cstdint>

namespace ketrav::platform {

// 64 bits from the system's random source; where it gives none, the clock,
// the process and a count mixed, which still differ from run to run.
std::uint64_t secret_number();

}  // namespace ketrav::platform
