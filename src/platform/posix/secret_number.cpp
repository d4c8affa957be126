// POSIX backend of secret_number.h: getrandom where the system has it,
// else /dev/urandom.
#include "platform/secret_number.h"

#include <fcntl.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/random.h>
#endif

#include <cerrno>

#include "platform/call_table.h"
#include "platform/posix/errno_mapping.h"

namespace ketrav::platform {
namespace {

// Reads until `size` bytes came, going on after a signal or a short read.
template <class Read>
bool fill(unsigned char* into, std::size_t size, Read read_some) {
    while (size > 0) {
        ssize_t got = read_some(into, size);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            if (got == 0) errno = EIO;
            return false;
        }
        into += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace

OsStatus secret_bytes(void* into, std::size_t size) {
    if (OsError fault = intercept_call(SystemCall::random_bytes)) return OsStatus::failure(fault);
    auto* bytes = static_cast<unsigned char*>(into);
#ifdef __linux__
    // Not waiting: a pool not yet ready at boot sends the run to urandom.
    if (fill(bytes, size, [](unsigned char* at, std::size_t left) { return getrandom(at, left, GRND_NONBLOCK); }))
        return OsStatus::success();
#endif
    int source = open("/dev/urandom", O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (source < 0) return posix::errno_status();
    bool whole = fill(bytes, size, [&](unsigned char* at, std::size_t left) { return read(source, at, left); });
    OsStatus status = whole ? OsStatus::success() : posix::errno_status();
    close(source);
    return status;
}

}  // namespace ketrav::platform
