// POSIX backend of stream_delivery.h: the FIFO or device found as a
// report's target is, written with non-blocking writes and polls that
// never outlast the delivery's deadline.
#include "platform/stream_delivery.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/posix/acting_user.h"
#include "platform/posix/errno_mapping.h"
#include "platform/posix/file_io.h"
#include "platform/posix/replacement_target.h"
#include "platform/posix/system_calls.h"

namespace ketrav::platform {
namespace {

// The milliseconds left until `deadline`, never below zero.
int left_ms(DeliveryDeadline deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, 1 << 30));
}

// A wait within what is left, never so long that a stop goes unseen.
int poll_ms(DeliveryDeadline deadline, int at_most) { return std::clamp(left_ms(deadline), 1, at_most); }

}  // namespace

OsStatus open_stream_target(const std::string& name, OsHandle& stream, bool& is_stream) {
    stream = OsHandle{};
    is_stream = false;
    posix::Descriptor directory;
    std::string target;
    struct stat old {};
    bool exists = false;
    posix::Way way;
    OsStatus found = posix::find_target(name, directory, target, old, exists, way);
    if (!found.ok || !exists || S_ISREG(old.st_mode) || S_ISDIR(old.st_mode)) return found;
    posix::ActingAs as(way.controller);
    if (!as.ok) return OsStatus::failure(error_access_denied);
    // Opened without waiting for a reader: with none there, the open fails
    // at once. It stays so: the writes wait for room themselves, within
    // the deadline.
    posix::Descriptor held(
        posix::sys_openat(directory.get(), target.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0));
    if (held.get() < 0) return posix::errno_status();
    if (posix::sys_flock(held.get(), LOCK_EX | LOCK_NB) != 0) return posix::errno_status();
    stream.value = held.take();
    posix::note_open_file(static_cast<int>(stream.value));
    is_stream = true;
    return OsStatus::success();
}

OsStatus write_to_stream(OsHandle stream, const char* data, std::size_t size, DeliveryDeadline deadline) {
    int fd = static_cast<int>(stream.value);
    while (size > 0) {
        ssize_t put = posix::sys_write(fd, data, size);
        if (put > 0) {
            data += put;
            size -= static_cast<std::size_t>(put);
            continue;
        }
        if (put < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) return posix::errno_status();
        if (left_ms(deadline) == 0) return OsStatus::failure(error_sem_timeout);
        // Room in the pipe, or its reader gone (then the write says so).
        pollfd room{fd, POLLOUT, 0};
        poll(&room, 1, poll_ms(deadline, 1000));
    }
    return OsStatus::success();
}

OsStatus wait_until_taken(OsHandle stream, DeliveryDeadline deadline) {
    int fd = static_cast<int>(stream.value);
    struct stat info {};
    if (posix::sys_fstat(fd, &info) != 0) return posix::errno_status();
    // A device takes what is written as it is written.
    if (!S_ISFIFO(info.st_mode)) return OsStatus::success();
    for (;;) {
        int unread = 0;
        if (posix::sys_unread_bytes(fd, unread) != 0) return posix::errno_status();
        if (unread == 0) return OsStatus::success();
        if (left_ms(deadline) == 0) return OsStatus::failure(error_sem_timeout);
        pollfd ends{fd, 0, 0};
        if (poll(&ends, 1, poll_ms(deadline, 20)) > 0 && (ends.revents & POLLERR)) {
            // The reader has closed: whole when it took every byte first.
            if (posix::sys_unread_bytes(fd, unread) != 0) return posix::errno_status();
            return unread == 0 ? OsStatus::success() : OsStatus::failure(error_gen_failure);
        }
    }
}

}  // namespace ketrav::platform
