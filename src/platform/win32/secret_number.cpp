// Windows backend of secret_number.h: RtlGenRandom, which every Windows
// from XP on has in advapi32.
#include "platform/secret_number.h"

// clang-format off
#include <windows.h>
#include <ntsecapi.h>
// clang-format on

#include <chrono>

namespace ketrav::platform {

std::uint64_t secret_number() {
    static std::uint64_t count = 0;
    std::uint64_t number = 0;
    if (RtlGenRandom(&number, sizeof number)) return number;
    number = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
             (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32) ^ ++count * 0x9E3779B97F4A7C15ull;
    number ^= number >> 31;
    return number * 0xBF58476D1CE4E5B9ull;
}

}  // namespace ketrav::platform
