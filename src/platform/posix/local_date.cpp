// POSIX backend of local_date.h.
#include "platform/local_date.h"

#include <ctime>

namespace ketrav::platform {

LocalDate local_date() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return LocalDate{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday};
}

}  // namespace ketrav::platform
