// POSIX backend of local_date.h.
#include "platform/local_date.h"

#include <ctime>

#include "platform/posix/calendar.h"

namespace ketrav::platform {

// A time_t of 32 bits would end in 2038, and the report's date with it.
static_assert(sizeof(std::time_t) == 8, "time_t must be 64 bits wide (_TIME_BITS=64 on 32-bit systems)");

LocalDate posix::local_date_of(std::int64_t seconds) {
    std::time_t moment = static_cast<std::time_t>(seconds);
    std::tm parts{};
    if (!localtime_r(&moment, &parts)) return LocalDate{};
    return LocalDate{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday};
}

LocalDate local_date() { return posix::local_date_of(static_cast<std::int64_t>(std::time(nullptr))); }

}  // namespace ketrav::platform
