// x87 control word access, shared by both backends: it depends on the CPU,
// not on the system.
#include "platform/floating_point.h"

namespace ketrav::platform {

#if defined(__i386__) || defined(__x86_64__)
void set_floating_point_control(std::uint16_t control_word) { __asm__ volatile("fldcw %0" : : "m"(control_word)); }

std::uint16_t floating_point_control() {
    std::uint16_t control_word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(control_word));
    return control_word;
}
#else
void set_floating_point_control(std::uint16_t) {}
std::uint16_t floating_point_control() { return 0; }
#endif

}  // namespace ketrav::platform
