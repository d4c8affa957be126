// POSIX only: a moment as a date on the local clock.
#pragma once

#include <cstdint>

#include "platform/local_date.h"

namespace ketrav::platform::posix {

// The local date of `seconds` since 1970 (UTC). Past 2038 too: the time is
// 64 bits wide on every build, the 32-bit ones included.
LocalDate local_date_of(std::int64_t seconds);

}  // namespace ketrav::platform::posix
