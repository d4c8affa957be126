// POSIX backend of secret_number.h: getrandom where the system has it,
// else /dev/urandom.
#include "platform/secret_number.h"

#include <fcntl.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/random.h>
#endif

#include <chrono>

namespace ketrav::platform {
namespace {

bool from_system(std::uint64_t& number) {
#ifdef __linux__
    if (getrandom(&number, sizeof number, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof number)) return true;
#endif
    int source = open("/dev/urandom", O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (source < 0) return false;
    bool read_whole = read(source, &number, sizeof number) == static_cast<ssize_t>(sizeof number);
    close(source);
    return read_whole;
}

}  // namespace

std::uint64_t secret_number() {
    static std::uint64_t count = 0;
    std::uint64_t number = 0;
    if (from_system(number)) return number;
    number = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
             (static_cast<std::uint64_t>(getpid()) << 32) ^ ++count * 0x9E3779B97F4A7C15ull;
    number ^= number >> 31;
    return number * 0xBF58476D1CE4E5B9ull;
}

}  // namespace ketrav::platform
