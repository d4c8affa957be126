// POSIX only: the identities of acting_user.h.
#include "platform/posix/acting_user.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/capability.h>
#include <sys/fsuid.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#endif

#include <cerrno>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace ketrav::platform::posix {
namespace {

// Only one ActingAs is in force at a time; while it is, this is the run's
// own user (seteuid, where there is no file-system identity, moves geteuid).
bool acting = false;
uid_t acting_user = 0;
uid_t outer_user = 0;
gid_t outer_group = 0;
std::vector<gid_t> outer_groups;

// The environment a user's helpers start with, kept for as long as the
// process lives (environ points into it).
std::vector<std::string> user_environment;
std::vector<char*> user_environ;

void take_environment_of(const Identity& identity) {
    const char* tmpdir = std::getenv("TMPDIR");
    struct stat info {};
    // Root's TMPDIR may be root's own: kept only where the user may write.
    bool tmpdir_usable = tmpdir && *tmpdir == '/' && stat(tmpdir, &info) == 0 && S_ISDIR(info.st_mode) &&
                         access(tmpdir, W_OK | X_OK) == 0;
    std::string name = identity.name.empty() ? std::to_string(identity.user) : identity.name;
    user_environment = {"HOME=" + (identity.home.empty() ? std::string("/") : identity.home), "USER=" + name,
                        "LOGNAME=" + name, "PATH=/usr/local/bin:/usr/bin:/bin"};
    if (tmpdir_usable) user_environment.push_back(std::string("TMPDIR=") + tmpdir);
    user_environ.clear();
    for (std::string& entry : user_environment) user_environ.push_back(entry.data());
    user_environ.push_back(nullptr);
    environ = user_environ.data();
}

// Standard input, output and error that are not the user's (root's
// terminal, cron's pipe, a file of root's) go to /dev/null; every other
// descriptor inherited from root's side ends with the next exec.
bool leave_no_descriptor_of_roots(uid_t user) {
    for (int fd = 0; fd <= 2; ++fd) {
        struct stat info {};
        if (fstat(fd, &info) != 0 || info.st_uid == user) continue;
        int null = open("/dev/null", O_RDWR | O_CLOEXEC);
        if (null < 0) return false;
        bool moved = null == fd || dup2(null, fd) == fd;
        if (null != fd) close(null);
        if (!moved) return false;
    }
#if defined(__linux__) && defined(SYS_close_range)
    constexpr unsigned int close_range_cloexec = 1u << 2;
    if (syscall(SYS_close_range, 3u, ~0u, close_range_cloexec) == 0) return true;
#endif
    struct rlimit limit {};
    rlim_t last = getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY ? limit.rlim_cur : 65536;
    if (last > 65536) last = 65536;
    for (int fd = 3; static_cast<rlim_t>(fd) < last; ++fd) {
        int flags = fcntl(fd, F_GETFD);
        if (flags >= 0 && !(flags & FD_CLOEXEC)) fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    }
    return true;
}

#ifdef __linux__
void drop_bounding_set() {
    for (int capability = 0; capability < 64; ++capability) prctl(PR_CAPBSET_DROP, capability, 0, 0, 0);
}

// Whatever a parent left (kept capabilities, ambient ones, a securebits
// setting that keeps them over setuid) goes now, and is checked gone.
bool drop_capabilities() {
#ifdef PR_CAP_AMBIENT
    if (prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) != 0 && errno != EINVAL) return false;
#endif
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capset, &header, data) != 0 || syscall(SYS_capget, &header, data) != 0) return false;
    for (const auto& part : data)
        if (part.effective || part.permitted || part.inheritable) return false;
    return true;
}
#else
void drop_bounding_set() {}
bool drop_capabilities() { return true; }
#endif

}  // namespace

uid_t run_user() { return acting ? outer_user : geteuid(); }

const Identity& identity_of(uid_t user) {
    static std::map<uid_t, Identity> known;
    static std::string passwd, group;
    static bool read = false;
    if (!read) {
        read = true;
        if (!read_table("/etc/passwd", passwd) || !read_table("/etc/group", group)) passwd.clear();
    }
    auto it = known.find(user);
    if (it == known.end()) it = known.emplace(user, identity_from_tables(user, passwd, group)).first;
    return it->second;
}

OsStatus become(uid_t user) {
    Identity identity = identity_of(user);
    drop_bounding_set();
    if (setgroups(identity.groups.size(), identity.groups.data()) != 0 || setgid(identity.group) != 0 ||
        setuid(identity.user) != 0)
        return OsStatus::failure(error_access_denied);
    // No capability may outlive the switch (a parent can keep them over
    // setuid), and no way back to root's rights may remain.
    if (!drop_capabilities()) return OsStatus::failure(error_access_denied);
    if (identity.user != 0 && (setuid(0) == 0 || geteuid() == 0 || (getegid() == 0 && identity.group != 0)))
        return OsStatus::failure(error_access_denied);
    if (!leave_no_descriptor_of_roots(identity.user)) return OsStatus::failure(error_access_denied);
    take_environment_of(identity);
    return OsStatus::success();
}

ActingAs::ActingAs(uid_t user) {
    if (acting) {
        ok = user == acting_user;
        return;
    }
    if (user == geteuid()) return;
    const Identity& identity = identity_of(user);
    outer_user = geteuid();
    outer_group = getegid();
    int count = getgroups(0, nullptr);
    outer_groups.assign(count > 0 ? static_cast<std::size_t>(count) : 0, 0);
    if (count < 0 || getgroups(count, outer_groups.data()) != count ||
        setgroups(identity.groups.size(), identity.groups.data()) != 0) {
        ok = false;
        return;
    }
    acting = engaged_ = true;
    acting_user = user;
#ifdef __linux__
    setfsgid(identity.group);
    setfsuid(identity.user);
    // Each call answers with the identity before it: asked again with an
    // impossible one, it tells what holds now.
    ok = static_cast<uid_t>(setfsuid(static_cast<uid_t>(-1))) == identity.user &&
         static_cast<gid_t>(setfsgid(static_cast<gid_t>(-1))) == identity.group;
#else
    ok = setegid(identity.group) == 0 && seteuid(identity.user) == 0;
#endif
}

// Back to root's own rights; a failure here would leave fewer rights,
// never more.
ActingAs::~ActingAs() {
    if (!engaged_) return;
#ifdef __linux__
    setfsuid(outer_user);
    setfsgid(outer_group);
#else
    seteuid(outer_user);
    setegid(outer_group);
#endif
    setgroups(outer_groups.size(), outer_groups.data());
    acting = false;
}

}  // namespace ketrav::platform::posix
