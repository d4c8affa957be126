// The share and the title indent, in the run's extended precision.
#include "report/area_share.h"

#include "services/extended_precision.h"

namespace ketrav::report {

using namespace services;

double area_share(std::int32_t count, std::int32_t total) {
    Extended quotient = divide(extended_from_integer(count), extended_from_integer(total));
    Extended per_mille = multiply(quotient, extended_from_integer(1000));
    Extended tenths = floor_value(per_mille);
    return to_double(divide(tenths, extended_from_integer(10)));
}

std::int32_t title_indent(std::int32_t length) {
    std::int64_t room = 80 - static_cast<std::int64_t>(length);
    std::int64_t half = room / 2;  // toward zero
    if (room % 2 != 0) {
        // room / 2 lies halfway between half and its neighbour away from zero;
        // take whichever of the two is even.
        std::int64_t other = room > 0 ? half + 1 : half - 1;
        if (half % 2 != 0) half = other;
    }
    return static_cast<std::int32_t>(half);
}

}  // namespace ketrav::report
