// POSIX backend of file_io.h: Windows sharing rules through flock.
#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <map>

#include "platform/call_table.h"
#include "platform/posix/acting_user.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/errno_mapping.h"
#include "platform/posix/file_io.h"
#include "platform/posix/path_walk.h"
#include "platform/posix/paths.h"
#include "platform/posix/process.h"
#include "platform/posix/system_calls.h"

namespace ketrav::platform {
namespace {

std::vector<int> open_descriptors;
std::vector<int> private_descriptors;
// For a run of root's: the user each open file was reached for, and the
// user each name read from a file was chosen by.
std::map<int, uid_t> reached_for;
std::map<std::string, uid_t> chosen_by;

int descriptor(OsHandle handle) { return static_cast<int>(handle.value); }

}  // namespace

const std::vector<int>& posix::inheritable_descriptors() { return open_descriptors; }

void posix::note_open_file(int fd) {
    open_descriptors.push_back(fd);
    note_handle_opened();
}

void posix::note_private_descriptor(int fd) {
    private_descriptors.push_back(fd);
    note_handle_opened();
}

OsStatus posix::hold_for_removal(const std::string& path, const struct stat& info, int& held) {
    held = -1;
    if (S_ISDIR(info.st_mode)) return OsStatus::failure(error_access_denied);
    if (!S_ISREG(info.st_mode)) return OsStatus::success();
    // Windows refuses a read-only file, whoever asks.
    if (!(info.st_mode & S_IWUSR)) return OsStatus::failure(error_access_denied);
    held = sys_open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
    if (held < 0) return OsStatus::success();
    if (sys_flock(held, LOCK_EX | LOCK_NB) == 0) return OsStatus::success();
    OsStatus status = errno_status();
    sys_close(held);
    held = -1;
    return status;
}

uid_t posix::chooser_of_name(const std::string& path) {
    auto it = chosen_by.find(path);
    return it == chosen_by.end() ? run_user() : it->second;
}

void take_name_from(OsHandle source, const std::string& name) {
    auto it = reached_for.find(descriptor(source));
    if (it != reached_for.end() && it->second != posix::run_user()) chosen_by[posix::native_path(name)] = it->second;
}

void keep_owner_access_to_new_files() {
    mode_t mask = umask(0);
    umask(mask & ~static_cast<mode_t>(S_IRUSR | S_IWUSR));
}

OsStatus open_file(const std::string& name, FileAccess access, OsHandle& handle) {
    handle = OsHandle{};
    std::string path = posix::native_path(name);
    if (path.empty()) return OsStatus::failure(error_path_not_found);

    int flags = O_CLOEXEC | O_NONBLOCK | (access == FileAccess::read ? O_RDONLY : (O_WRONLY | O_CREAT));
    int fd = -1;
    uid_t controller = posix::run_user();
    if (posix::run_by_root()) {
        // Every part of the way judged as it is opened, and each looked up
        // with the rights of whoever controls the way there.
        posix::Way way(posix::chooser_of_name(path));
        posix::Descriptor file;
        OsStatus opened = posix::open_on_way(path, flags, way, file);
        if (!opened.ok) return opened;
        struct stat info {};
        if (posix::sys_fstat(file.get(), &info) != 0) return posix::errno_status();
        // Windows writes to no read-only file, not even for an administrator.
        if (access == FileAccess::write && S_ISREG(info.st_mode) && !(info.st_mode & S_IWUSR))
            return OsStatus::failure(error_access_denied);
        fd = file.take();
        controller = way.controller;
    } else {
        struct stat info {};
        bool exists = posix::sys_stat(path.c_str(), &info) == 0;
        // Windows opens no directory as a file, and writes to no read-only
        // file.
        if (exists && S_ISDIR(info.st_mode)) return OsStatus::failure(error_access_denied);
        if (exists && access == FileAccess::write && S_ISREG(info.st_mode) && !(info.st_mode & S_IWUSR))
            return OsStatus::failure(error_access_denied);
        // Non-blocking, so that a FIFO never holds up the open; never
        // truncating, so that the lock is taken before anything changes;
        // never writing through a symbolic link, which another user may
        // have planted.
        fd = posix::sys_open(path.c_str(), flags | (access == FileAccess::write ? O_NOFOLLOW : 0), 0666);
        if (fd < 0) return errno == ENOENT ? posix::missing_status(path) : posix::errno_status();
    }
    if (posix::sys_flock(fd, LOCK_EX | LOCK_NB) != 0) {
        OsStatus status = posix::errno_status();
        posix::sys_close(fd);
        return status;
    }
    posix::note_open_file(fd);
    reached_for[fd] = controller;
    handle.value = fd;
    return OsStatus::success();
}

OsStatus file_kind(OsHandle handle, FileKind& kind) {
    kind = FileKind::other;
    struct stat info {};
    if (posix::sys_fstat(descriptor(handle), &info) != 0) return posix::errno_status();
    kind = S_ISREG(info.st_mode) ? FileKind::disk : FileKind::other;
    return OsStatus::success();
}

OsStatus set_file_pointer(OsHandle handle, std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(INT64_MAX)) return OsStatus::failure(error_invalid_parameter);
    if (posix::sys_lseek(descriptor(handle), static_cast<off_t>(offset), SEEK_SET) < 0) return posix::errno_status();
    return OsStatus::success();
}

OsStatus set_end_of_file(OsHandle handle) {
    off_t here = posix::sys_lseek(descriptor(handle), 0, SEEK_CUR);
    if (here < 0 || posix::sys_ftruncate(descriptor(handle), here) != 0) return posix::errno_status();
    return OsStatus::success();
}

OsStatus read_file(OsHandle handle, void* buffer, std::uint32_t size, std::uint32_t& bytes_read) {
    bytes_read = 0;
    ssize_t got = posix::sys_read(descriptor(handle), buffer, size);
    if (got < 0) {
        // An empty FIFO opened without blocking has nothing to give yet.
        if (errno == EAGAIN) return OsStatus::success();
        return posix::errno_status();
    }
    bytes_read = static_cast<std::uint32_t>(got);
    return OsStatus::success();
}

OsStatus read_file_at(OsHandle handle, std::uint64_t offset, void* buffer, std::uint32_t size,
                      std::uint32_t& bytes_read) {
    bytes_read = 0;
    if (offset > static_cast<std::uint64_t>(INT64_MAX)) return OsStatus::failure(error_invalid_parameter);
    ssize_t got = posix::sys_pread(descriptor(handle), buffer, size, static_cast<off_t>(offset));
    if (got < 0) return posix::errno_status();
    bytes_read = static_cast<std::uint32_t>(got);
    return OsStatus::success();
}

OsStatus write_file(OsHandle handle, const void* data, std::uint32_t size, std::uint32_t& bytes_written) {
    bytes_written = 0;
    ssize_t put = posix::sys_write(descriptor(handle), data, size);
    if (put < 0) return posix::errno_status();
    bytes_written = static_cast<std::uint32_t>(put);
    return OsStatus::success();
}

OsStatus close_handle(OsHandle handle) {
    if (handle.value < 0) {
        // Process handles are the layer's own: no system call closes them.
        if (OsError fault = intercept_call(SystemCall::close_handle)) return OsStatus::failure(fault);
        if (!posix::release_process_handle(handle)) return OsStatus::failure(error_invalid_handle);
        note_handle_closed();
        return OsStatus::success();
    }
    int fd = descriptor(handle);
    std::vector<int>* list = &open_descriptors;
    auto it = std::find(list->begin(), list->end(), fd);
    if (it == list->end()) {
        list = &private_descriptors;
        it = std::find(list->begin(), list->end(), fd);
    }
    if (it == list->end()) return OsStatus::failure(error_invalid_handle);
    OsStatus status = OsStatus::success();
    if (posix::sys_close(fd) != 0) {
        // A refused close leaves the handle open, as a failed CloseHandle
        // does; a real failure (an error reported late, say) still frees it.
        status = posix::errno_status();
        if (posix::is_injected_errno(errno)) return status;
    }
    list->erase(it);
    reached_for.erase(fd);
    note_handle_closed();
    return status;
}

}  // namespace ketrav::platform
