// The long run of the x87 differential check: shares and decimal expansions
// from the helper against `long double` where it is the x87 format.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/floating_point.h"
#include "report/area_share.h"
#include "services/extended_precision.h"

using namespace ketrav;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if constexpr (std::numeric_limits<long double>::digits != 64) return 0;
    if (size < 8) return 0;
    platform::set_floating_point_control(platform::x87_run_control_word);
    std::uint32_t a, b;
    std::memcpy(&a, data, 4);
    std::memcpy(&b, data + 4, 4);
    auto total = static_cast<std::int32_t>(b & 0x7FFFFFFF);
    auto count = static_cast<std::int32_t>(a & 0x7FFFFFFF);
    if (total == 0) return 0;
    volatile long double quotient = static_cast<long double>(count) / total;
    volatile long double per_mille = quotient * 1000.0L;
    volatile long double tenths = std::floor(static_cast<long double>(per_mille));
    double x87 = static_cast<double>(tenths / 10.0L);
    if (report::area_share(count, total) != x87) std::abort();

    if (size >= 16) {
        double x, y;
        std::memcpy(&x, data, 8);
        std::memcpy(&y, data + 8, 8);
        volatile long double product = static_cast<long double>(x) * y, ratio = static_cast<long double>(x) / y;
        double mine_product = services::to_double(
            services::multiply(services::extended_from_double(x), services::extended_from_double(y)));
        double mine_ratio =
            services::to_double(services::divide(services::extended_from_double(x), services::extended_from_double(y)));
        auto same = [](double p, double q) { return (std::isnan(p) && std::isnan(q)) || p == q; };
        if (!same(mine_product, static_cast<double>(product)) || !same(mine_ratio, static_cast<double>(ratio)))
            std::abort();
    }
    return 0;
}
