// POSIX only: the system calls of the POSIX backend, each through the call
// table. A call that a hook fails returns -1 (or nullptr) as a real failure
// would, with the hook's Windows error carried in errno, which errno_status()
// then reports.
#pragma once

#include <dirent.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/os_status.h"

namespace ketrav::platform::posix {

int sys_stat(const char* path, struct stat* info);
int sys_lstat(const char* path, struct stat* info);
int sys_open(const char* path, int flags, mode_t mode);
int sys_flock(int fd, int operation);
int sys_fstat(int fd, struct stat* info);
// ioctl FIONREAD: the bytes a pipe holds that its reader has not yet taken.
int sys_unread_bytes(int fd, int& unread);
off_t sys_lseek(int fd, off_t offset, int whence);
int sys_ftruncate(int fd, off_t length);
ssize_t sys_read(int fd, void* buffer, std::size_t size);
ssize_t sys_pread(int fd, void* buffer, std::size_t size, off_t offset);
// `size` may be lowered by a hook that makes the write short.
ssize_t sys_write(int fd, const void* data, std::size_t size);
int sys_close(int fd);
DIR* sys_opendir(const char* path);
// A listing of the directory open as `fd`, which it then owns.
DIR* sys_fdopendir(int fd);
// nullptr at the end with errno 0, or on failure with errno set.
dirent* sys_readdir(DIR* listing);
int sys_closedir(DIR* listing);
int sys_unlink(const char* path);
// The same calls made in a directory held open, so that what was checked is
// what is used: no link swapped in between.
int sys_openat(int directory, const char* name, int flags, mode_t mode);
int sys_fstatat(int directory, const char* name, struct stat* info, int flags);
ssize_t sys_readlinkat(int directory, const char* name, char* buffer, std::size_t size);
int sys_renameat(int from_directory, const char* from, int to_directory, const char* to);
int sys_unlinkat(int directory, const char* name);
int sys_fsync(int fd);
// Forces the whole file system `fd` is on (syncfs; sync elsewhere).
int sys_syncfs(int fd);
int sys_fchmod(int fd, mode_t mode);
int sys_fchown(int fd, uid_t owner, gid_t group);
ssize_t sys_readlink(const char* path, char* buffer, std::size_t size);
// The resolved path in `resolved`; false on failure.
bool sys_realpath(const char* path, std::string& resolved);
int sys_access(const char* path, int mode);
// Returns the error number, as posix_spawn does (0 when started).
int sys_posix_spawn(pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions,
                    const posix_spawnattr_t* attributes, char* const argv[], char* const envp[]);
pid_t sys_waitpid(pid_t pid, int* status, int options);
int sys_pipe2(int ends[2], int flags);
pid_t sys_fork();
int sys_dup2(int from, int to);
// Clears close-on-exec: a descriptor already where a child wants it.
int sys_keep_on_exec(int fd);
// Clears O_NONBLOCK, which stays on an open file: a descriptor handed to a
// program that expects to wait on it.
int sys_make_blocking(int fd);
int sys_execve(const char* path, char* const argv[], char* const envp[]);

// The errno of a call a hook failed with `error`: above every real errno.
inline constexpr int injected_errno_base = 0x40000000;
int injected_errno(OsError error);
// Whether a failure was a hook's, and its Windows error (0 for a real one).
bool is_injected_errno(int errno_value);
OsError error_of_injected_errno(int errno_value);

}  // namespace ketrav::platform::posix
