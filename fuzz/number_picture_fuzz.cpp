// Any picture and any double: format_picture never crashes, and for the
// report's pictures the digits read back as the value rounded.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "services/number_pictures.h"

using namespace ketrav::services;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < sizeof(double)) return 0;
    double value;
    std::memcpy(&value, data, sizeof value);
    std::string picture(reinterpret_cast<const char*>(data) + sizeof value, size - sizeof value);
    if (picture.size() > 64) picture.resize(64);
    (void)format_picture(picture, value);

    if (std::isfinite(value) && std::fabs(value) < 1e15) {
        std::string count = format_picture("###,###", value);
        std::string digits;
        for (char c : count)
            if (c >= '0' && c <= '9') digits += c;
        double back = std::strtod(digits.c_str(), nullptr);
        double expected = std::fabs(std::nearbyint(value));
        if (std::fabs(back - expected) > 1 && std::fabs(std::fabs(value) - std::floor(std::fabs(value)) - 0.5) > 1e-6)
            std::abort();
        if (count.size() < 7) std::abort();
    }
    return 0;
}
