// The truth values the services return: all bits set for true.
#pragma once

#include <cstdint>

namespace ketrav::services {

inline constexpr std::int32_t truth_true = -1;
inline constexpr std::int32_t truth_false = 0;

}  // namespace ketrav::services
