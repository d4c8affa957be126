// Windows backend of local_date.h.
#include "platform/local_date.h"

#include <windows.h>

namespace ketrav::platform {

LocalDate local_date() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return LocalDate{now.wYear, now.wMonth, now.wDay};
}

}  // namespace ketrav::platform
