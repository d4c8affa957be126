// An area's share of the total in percent, cut down to the tenth.
#pragma once

#include <cstdint>

namespace ketrav::report {

// s = floor(q * 1000) / 10 with q = count / total, each step rounded to a
// 64-bit significand (ties to even) and s stored as a double. The quotient is
// rounded before it is multiplied, so some exact shares come out a tenth
// low: 1 of 125 gives 0.7.
double area_share(std::int32_t count, std::int32_t total);

// n = (80 - length) / 2, halves rounded to the even neighbour: how far the
// title is indented.
std::int32_t title_indent(std::int32_t length);

}  // namespace ketrav::report
