// POSIX only: the root rule of root_rule.h.
#include "platform/posix/root_rule.h"

#include <unistd.h>
#ifdef __linux__
#include <sys/xattr.h>
#endif

#include <cerrno>
#include <cstdint>
#include <string>

#include "platform/posix/acting_user.h"

namespace ketrav::platform::posix {
namespace {

// Whether the access list of the part open as `fd` lets a user other than
// its owner, or a group other than root's, write; true too when the list
// cannot be read, or is not one this rule knows. The list is the Linux
// one (system.posix_acl_access: a version word, then entries of a tag, a
// permission and an id, all little-endian); a system without such lists
// has only the mode bits, which have been judged.
bool access_list_lets_others_write([[maybe_unused]] int fd) {
#ifdef __linux__
    unsigned char list[4 + 8 * 256];
    ssize_t size = fgetxattr(fd, "system.posix_acl_access", list, sizeof list);
    if (size < 0 && errno == EBADF) {
        // A descriptor that only names the part (O_PATH) is read through
        // its own entry in /proc.
        std::string self = "/proc/self/fd/" + std::to_string(fd);
        size = getxattr(self.c_str(), "system.posix_acl_access", list, sizeof list);
    }
    if (size < 0) return !(errno == ENODATA || errno == ENOTSUP);
    if (size < 4 || (size - 4) % 8 != 0 || list[0] != 2 || list[1] || list[2] || list[3]) return true;
    auto word = [&](ssize_t at, int bytes) {
        std::uint32_t value = 0;
        for (int byte = bytes - 1; byte >= 0; --byte) value = (value << 8) | list[at + byte];
        return value;
    };
    constexpr std::uint32_t named_user = 0x02, named_group = 0x08, mask = 0x10, write = 0x02;
    std::uint32_t mask_allows = write, writers = 0;
    for (ssize_t at = 4; at < size; at += 8) {
        std::uint32_t tag = word(at, 2), permissions = word(at + 2, 2), id = word(at + 4, 4);
        if (tag == mask) mask_allows = permissions & write;
        if ((tag == named_user || tag == named_group) && id != 0 && (permissions & write)) ++writers;
    }
    return writers > 0 && mask_allows;
#else
    return false;
#endif
}

bool sticky_directory_of_roots(const struct stat& info) {
    return info.st_uid == 0 && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX);
}

}  // namespace

bool root_may_trust(const struct stat& info, int fd) {
    if (info.st_uid != 0) return false;
    if (S_ISLNK(info.st_mode)) return true;
    if (info.st_mode & S_IWOTH) return false;
    if (!(info.st_mode & S_IWGRP)) return true;
    // With an access list, the group bits are its mask: named entries may
    // stand behind a write they show.
    return info.st_gid == 0 && !access_list_lets_others_write(fd);
}

OsStatus take_part(const struct stat& info, int fd, PartRole role, uid_t& controller) {
    const uid_t user = run_user();
    if (user != 0) {
        bool allowed = role != PartRole::link || info.st_uid == user || info.st_uid == 0;
        return allowed ? OsStatus::success() : OsStatus::failure(error_access_denied);
    }
    if (info.st_uid == 0) {
        bool allowed = root_may_trust(info, fd) || (role == PartRole::pass && sticky_directory_of_roots(info));
        return allowed ? OsStatus::success() : OsStatus::failure(error_access_denied);
    }
    if (controller != user && controller != info.st_uid) return OsStatus::failure(error_access_denied);
    controller = info.st_uid;
    return OsStatus::success();
}

}  // namespace ketrav::platform::posix
