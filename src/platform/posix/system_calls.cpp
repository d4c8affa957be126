// POSIX only: every system call of the backend, through the call table.
#include "platform/posix/system_calls.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/call_table.h"

namespace ketrav::platform::posix {
namespace {

// True when the hook fails the call; errno then carries the hook's Windows
// error, a value no real call sets and no caller treats as a case of its
// own, so there is nothing to clear afterwards.
bool refused(SystemCall call) {
    OsError error = intercept_call(call);
    if (error == 0) return false;
    errno = injected_errno(error);
    return true;
}

// Tells an observer what a call did, when one observes.
template <typename Fill>
void tell(SystemCall call, std::intptr_t result, Fill fill) {
    if (!disk_changes_observed()) return;
    DiskChange change;
    change.call = call;
    change.result = result;
    fill(change);
    tell_disk_change(change);
}

}  // namespace

int injected_errno(OsError error) { return injected_errno_base + static_cast<int>(error & 0xFFFF); }

bool is_injected_errno(int errno_value) { return errno_value >= injected_errno_base; }

OsError error_of_injected_errno(int errno_value) {
    return is_injected_errno(errno_value) ? static_cast<OsError>(errno_value - injected_errno_base) : 0;
}

int sys_stat(const char* path, struct stat* info) { return refused(SystemCall::file_status) ? -1 : stat(path, info); }

int sys_lstat(const char* path, struct stat* info) { return refused(SystemCall::file_status) ? -1 : lstat(path, info); }

int sys_open(const char* path, int flags, mode_t mode) {
    if (refused(SystemCall::open_file)) return -1;
    int fd = open(path, flags, mode);
    tell(SystemCall::open_file, fd, [&](DiskChange& change) {
        change.handle = AT_FDCWD;
        change.name = path;
        change.value = flags;
    });
    return fd;
}

int sys_flock(int fd, int operation) { return refused(SystemCall::lock_file) ? -1 : flock(fd, operation); }

int sys_fstat(int fd, struct stat* info) { return refused(SystemCall::file_type) ? -1 : fstat(fd, info); }

int sys_unread_bytes(int fd, int& unread) {
    unread = 0;
    return refused(SystemCall::file_type) ? -1 : ioctl(fd, FIONREAD, &unread);
}

off_t sys_lseek(int fd, off_t offset, int whence) {
    return refused(SystemCall::set_file_pointer) ? -1 : lseek(fd, offset, whence);
}

int sys_ftruncate(int fd, off_t length) {
    if (refused(SystemCall::set_end_of_file)) return -1;
    int done = ftruncate(fd, length);
    tell(SystemCall::set_end_of_file, done, [&](DiskChange& change) {
        change.handle = fd;
        change.value = length;
    });
    return done;
}

ssize_t sys_read(int fd, void* buffer, std::size_t size) {
    return refused(SystemCall::read_file) ? -1 : read(fd, buffer, size);
}

ssize_t sys_pread(int fd, void* buffer, std::size_t size, off_t offset) {
    return refused(SystemCall::read_file_at) ? -1 : pread(fd, buffer, size, offset);
}

ssize_t sys_write(int fd, const void* data, std::size_t size) {
    std::uint32_t allowed = size > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(size);
    if (OsError error = intercept_call(SystemCall::write_file, allowed)) {
        errno = injected_errno(error);
        return -1;
    }
    ssize_t put = write(fd, data, allowed < size ? allowed : size);
    tell(SystemCall::write_file, put, [&](DiskChange& change) {
        change.handle = fd;
        if (put > 0) change.bytes.assign(static_cast<const char*>(data), static_cast<std::size_t>(put));
    });
    return put;
}

int sys_close(int fd) {
    if (refused(SystemCall::close_handle)) return -1;
    int done = close(fd);
    tell(SystemCall::close_handle, done, [&](DiskChange& change) { change.handle = fd; });
    return done;
}

DIR* sys_opendir(const char* path) { return refused(SystemCall::find_first) ? nullptr : opendir(path); }

DIR* sys_fdopendir(int fd) { return refused(SystemCall::find_first) ? nullptr : fdopendir(fd); }

dirent* sys_readdir(DIR* listing) {
    if (refused(SystemCall::find_next)) return nullptr;
    errno = 0;
    return readdir(listing);
}

int sys_closedir(DIR* listing) {
    // The listing is released even when the hook refuses: nothing may leak.
    bool refuse = refused(SystemCall::find_close);
    int result = closedir(listing);
    return refuse ? -1 : result;
}

int sys_unlink(const char* path) {
    if (refused(SystemCall::delete_file)) return -1;
    int done = unlink(path);
    tell(SystemCall::delete_file, done, [&](DiskChange& change) {
        change.handle = AT_FDCWD;
        change.name = path;
    });
    return done;
}

int sys_openat(int directory, const char* name, int flags, mode_t mode) {
    if (refused(SystemCall::open_file)) return -1;
    int fd = openat(directory, name, flags, mode);
    tell(SystemCall::open_file, fd, [&](DiskChange& change) {
        change.handle = directory;
        change.name = name;
        change.value = flags;
    });
    return fd;
}

int sys_fstatat(int directory, const char* name, struct stat* info, int flags) {
    return refused(SystemCall::file_status) ? -1 : fstatat(directory, name, info, flags);
}

ssize_t sys_readlinkat(int directory, const char* name, char* buffer, std::size_t size) {
    return refused(SystemCall::read_link) ? -1 : readlinkat(directory, name, buffer, size);
}

int sys_renameat(int from_directory, const char* from, int to_directory, const char* to) {
    if (refused(SystemCall::rename_file)) return -1;
    int done = renameat(from_directory, from, to_directory, to);
    tell(SystemCall::rename_file, done, [&](DiskChange& change) {
        change.handle = from_directory;
        change.name = from;
        change.to_directory = to_directory;
        change.to_name = to;
    });
    return done;
}

int sys_unlinkat(int directory, const char* name) {
    if (refused(SystemCall::delete_file)) return -1;
    int done = unlinkat(directory, name, 0);
    tell(SystemCall::delete_file, done, [&](DiskChange& change) {
        change.handle = directory;
        change.name = name;
    });
    return done;
}

int sys_fsync(int fd) {
    if (refused(SystemCall::sync_file)) return -1;
    int done = fsync(fd);
    tell(SystemCall::sync_file, done, [&](DiskChange& change) { change.handle = fd; });
    return done;
}

int sys_syncfs(int fd) {
    if (refused(SystemCall::sync_file)) return -1;
#ifdef __linux__
    int done = syncfs(fd);
#else
    sync();
    int done = 0;
#endif
    tell(SystemCall::sync_file, done, [&](DiskChange& change) {
        change.handle = fd;
        change.whole_file_system = true;
    });
    return done;
}

int sys_fchmod(int fd, mode_t mode) {
    if (refused(SystemCall::set_attributes)) return -1;
    int done = fchmod(fd, mode);
    tell(SystemCall::set_attributes, done, [&](DiskChange& change) {
        change.handle = fd;
        change.value = mode;
    });
    return done;
}

int sys_fchown(int fd, uid_t owner, gid_t group) {
    if (refused(SystemCall::set_attributes)) return -1;
    int done = fchown(fd, owner, group);
    tell(SystemCall::set_attributes, done, [&](DiskChange& change) {
        change.handle = fd;
        change.owner = owner == static_cast<uid_t>(-1) ? -1 : static_cast<std::int64_t>(owner);
        change.group = group == static_cast<gid_t>(-1) ? -1 : static_cast<std::int64_t>(group);
    });
    return done;
}

ssize_t sys_readlink(const char* path, char* buffer, std::size_t size) {
    return refused(SystemCall::program_path) ? -1 : readlink(path, buffer, size);
}

bool sys_realpath(const char* path, std::string& resolved) {
    resolved.clear();
    if (refused(SystemCall::program_path)) return false;
    char* real = realpath(path, nullptr);
    if (!real) return false;
    resolved = real;
    std::free(real);
    return true;
}

int sys_access(const char* path, int mode) { return refused(SystemCall::program_access) ? -1 : access(path, mode); }

int sys_posix_spawn(pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions,
                    const posix_spawnattr_t* attributes, char* const argv[], char* const envp[]) {
    if (refused(SystemCall::create_process)) return errno;
    return posix_spawn(pid, path, actions, attributes, argv, envp);
}

pid_t sys_waitpid(pid_t pid, int* status, int options) {
    return refused(SystemCall::wait_for_process) ? -1 : waitpid(pid, status, options);
}

int sys_pipe2(int ends[2], int flags) { return refused(SystemCall::create_pipe) ? -1 : pipe2(ends, flags); }

pid_t sys_fork() { return refused(SystemCall::fork_process) ? -1 : fork(); }

int sys_dup2(int from, int to) { return refused(SystemCall::duplicate_handle) ? -1 : dup2(from, to); }

int sys_keep_on_exec(int fd) { return refused(SystemCall::duplicate_handle) ? -1 : fcntl(fd, F_SETFD, 0); }

int sys_make_blocking(int fd) {
    if (refused(SystemCall::duplicate_handle)) return -1;
    int flags = fcntl(fd, F_GETFL);
    return flags < 0 ? -1 : fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

int sys_execve(const char* path, char* const argv[], char* const envp[]) {
    return refused(SystemCall::execute_program) ? -1 : execve(path, argv, envp);
}

}  // namespace ketrav::platform::posix
