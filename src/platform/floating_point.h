// The floating-point control word of the x87 unit.
#pragma once

#include <cstdint>

namespace ketrav::platform {

// Round to nearest, 64-bit significand, every exception masked.
inline constexpr std::uint16_t x87_run_control_word = 0x133F;

// Loads the control word where the CPU has an x87 unit; nothing elsewhere.
void set_floating_point_control(std::uint16_t control_word);
// The current x87 control word, or 0 where there is none.
std::uint16_t floating_point_control();

}  // namespace ketrav::platform
