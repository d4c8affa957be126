// POSIX backend of leftover_temporaries.h.
#include "platform/posix/leftover_temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <vector>

#include "platform/posix/descriptor.h"
#include "platform/posix/system_calls.h"
#include "platform/secret_number.h"

namespace ketrav::platform::posix {
namespace {

std::string prefix_of(std::initializer_list<std::uint64_t> parts) {
    // FNV-1a over the parts' bytes, low byte first.
    std::uint64_t hash = 14695981039346656037ull;
    for (std::uint64_t part : parts)
        for (int shift = 0; shift < 64; shift += 8) hash = (hash ^ ((part >> shift) & 0xFF)) * 1099511628211ull;
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "KetRAV-%016llx-", static_cast<unsigned long long>(hash));
    return prefix;
}

}  // namespace

std::string host_prefix(const struct stat& host, const struct timespec& born) {
    return prefix_of({static_cast<std::uint64_t>(host.st_ino), static_cast<std::uint64_t>(born.tv_sec),
                      static_cast<std::uint64_t>(born.tv_nsec)});
}

std::string host_prefix_of_1_0_E_4(const struct stat& host) {
    return prefix_of({static_cast<std::uint64_t>(host.st_dev), static_cast<std::uint64_t>(host.st_ino)});
}

struct timespec birth_of_host([[maybe_unused]] const struct stat& host) {
    struct timespec born {};
#ifdef STATX_BTIME
    struct statx birth {};
    if (statx(AT_FDCWD, ".", 0, STATX_BTIME | STATX_INO, &birth) == 0 && (birth.stx_mask & STATX_BTIME) &&
        birth.stx_ino == host.st_ino) {
        born.tv_sec = birth.stx_btime.tv_sec;
        born.tv_nsec = birth.stx_btime.tv_nsec;
    }
#endif
    return born;
}

OsStatus unforeseeable_name(const std::string& prefix, std::string& name) {
    std::uint64_t number = 0;
    OsStatus drawn = secret_bytes(&number, sizeof number);
    if (!drawn.ok) return drawn;
    char text[64];
    std::snprintf(text, sizeof text, "%s%016llx.tmp", prefix.c_str(), static_cast<unsigned long long>(number));
    name = text;
    return drawn;
}

bool is_generated_name(const std::string& name, const std::string& prefix) {
    constexpr std::size_t digits = 16;
    if (name.size() != prefix.size() + digits + 4 || !name.starts_with(prefix) || !name.ends_with(".tmp")) return false;
    for (std::size_t at = prefix.size(); at < prefix.size() + digits; ++at)
        if (!std::isdigit(static_cast<unsigned char>(name[at])) && (name[at] < 'a' || name[at] > 'f')) return false;
    return true;
}

void remove_leftovers_of_host(int directory, const std::string& prefix, const struct stat& host, uid_t user) {
    const std::string prefixes[] = {prefix, host_prefix_of_1_0_E_4(host)};
    int listed = sys_openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (listed < 0) return;
    DIR* listing = sys_fdopendir(listed);
    if (!listing) {
        sys_close(listed);
        return;
    }
    std::vector<std::string> leftovers;
    while (dirent* entry = sys_readdir(listing)) {
        std::string name = entry->d_name;
        for (const std::string& prefix : prefixes)
            if (is_generated_name(name, prefix)) leftovers.push_back(name);
    }
    sys_closedir(listing);
    for (const std::string& name : leftovers) {
        struct stat info {};
        if (sys_fstatat(directory, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || info.st_uid != user ||
            !S_ISREG(info.st_mode))
            continue;
        Descriptor leftover(sys_openat(directory, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0));
        if (leftover.get() >= 0 && sys_flock(leftover.get(), LOCK_EX | LOCK_NB) == 0)
            sys_unlinkat(directory, name.c_str());
    }
}

}  // namespace ketrav::platform::posix
