// Windows backend of stream_delivery.h: a FIFO is a POSIX thing; Windows'
// report is always a file replaced.
#include "platform/stream_delivery.h"

namespace ketrav::platform {

OsStatus open_stream_target(const std::string&, OsHandle& stream, bool& is_stream) {
    stream = OsHandle{};
    is_stream = false;
    return OsStatus::success();
}

OsStatus write_to_stream(OsHandle, const char*, std::size_t, DeliveryDeadline) {
    return OsStatus::failure(error_invalid_handle);
}

OsStatus wait_until_taken(OsHandle, DeliveryDeadline) { return OsStatus::success(); }

}  // namespace ketrav::platform
