// Today's date on the local clock.
#pragma once

namespace ketrav::platform {

struct LocalDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

LocalDate local_date();

}  // namespace ketrav::platform
