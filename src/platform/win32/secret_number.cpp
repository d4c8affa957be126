// Windows backend of secret_number.h: RtlGenRandom, which every Windows
// from XP on has in advapi32.
#include "platform/secret_number.h"

// clang-format off
#include <windows.h>
#include <ntsecapi.h>
// clang-format on

#include "platform/call_table.h"

namespace ketrav::platform {

OsStatus secret_bytes(void* into, std::size_t size) {
    if (OsError fault = intercept_call(SystemCall::random_bytes)) return OsStatus::failure(fault);
    auto* bytes = static_cast<unsigned char*>(into);
    while (size > 0) {
        ULONG piece = size > 0x10000 ? 0x10000 : static_cast<ULONG>(size);
        if (!RtlGenRandom(bytes, piece)) return OsStatus::failure(error_gen_failure);
        bytes += piece;
        size -= piece;
    }
    return OsStatus::success();
}

}  // namespace ketrav::platform
