// POSIX only: the root rule of root_rule.h.
#include "platform/posix/root_rule.h"

#include <fcntl.h>
#include <grp.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <sstream>

#include "platform/posix/errno_mapping.h"
#include "platform/posix/system_calls.h"

namespace ketrav::platform::posix {
namespace {

std::vector<std::string> fields_of(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, separator)) fields.push_back(field);
    if (!line.empty() && line.back() == separator) fields.emplace_back();
    return fields;
}

// A number field of the tables, or false when it is none.
bool number_of(const std::string& text, unsigned long& number) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    number = std::stoul(text);
    return true;
}

std::deque<std::string> parts_of(const std::string& path) {
    std::deque<std::string> parts;
    for (const std::string& part : fields_of(path, '/'))
        if (!part.empty() && part != ".") parts.push_back(part);
    return parts;
}

}  // namespace

Identity identity_from_tables(uid_t user, gid_t fallback_group, const std::string& passwd, const std::string& group) {
    Identity identity;
    identity.user = user;
    identity.group = fallback_group;
    std::string name;
    std::istringstream users(passwd);
    for (std::string line; name.empty() && std::getline(users, line);) {
        std::vector<std::string> fields = fields_of(line, ':');
        unsigned long uid = 0, gid = 0;
        if (fields.size() < 4 || fields[0].empty() || !number_of(fields[2], uid) || uid != user ||
            !number_of(fields[3], gid))
            continue;
        name = fields[0];
        identity.group = static_cast<gid_t>(gid);
    }
    identity.groups.push_back(identity.group);
    if (name.empty()) return identity;
    std::istringstream groups(group);
    for (std::string line; std::getline(groups, line);) {
        std::vector<std::string> fields = fields_of(line, ':');
        unsigned long gid = 0;
        if (fields.size() < 4 || !number_of(fields[2], gid)) continue;
        for (const std::string& member : fields_of(fields[3], ','))
            if (member == name && gid != identity.group) identity.groups.push_back(static_cast<gid_t>(gid));
    }
    return identity;
}

OsStatus become(const Identity& identity) {
    if (setgroups(identity.groups.size(), identity.groups.data()) != 0 || setgid(identity.group) != 0 ||
        setuid(identity.user) != 0)
        return OsStatus::failure(error_access_denied);
    // No way back to root's rights may remain.
    if (identity.user != 0 && (setuid(0) == 0 || geteuid() == 0)) return OsStatus::failure(error_access_denied);
    return OsStatus::success();
}

bool root_may_trust(const struct stat& info) {
    if (info.st_uid != 0) return false;
    if (S_ISLNK(info.st_mode)) return true;
    if (info.st_mode & S_IWOTH) return false;
    return !(info.st_mode & S_IWGRP) || info.st_gid == 0;
}

bool root_may_pass(const struct stat& info) {
    return root_may_trust(info) || (info.st_uid == 0 && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX));
}

OsStatus check_path_for_root(const std::string& path) {
    if (geteuid() != 0) return OsStatus::success();
    std::string at = !path.empty() && path.front() == '/' ? "/" : ".";
    struct stat here {};
    if (sys_lstat(at.c_str(), &here) != 0) return errno_status();
    std::deque<std::string> parts = parts_of(path);
    // As many links as the system itself follows in one path.
    int links_left = 40;
    while (!parts.empty()) {
        std::string next = at;
        if (next != "/") next.push_back('/');
        next.append(parts.front());
        parts.pop_front();
        struct stat info {};
        bool found = sys_lstat(next.c_str(), &info) == 0;
        if (!found && errno != ENOENT) return errno_status();
        bool last = parts.empty() && !(found && S_ISLNK(info.st_mode));
        // The directory the run makes a file in may be changed by no one
        // else; one on the way, or one that holds a file of root's the run
        // opens, only as a sticky directory allows (no other user can move
        // or remove root's entries there).
        if (!(last && !found ? root_may_trust(here) : root_may_pass(here)))
            return OsStatus::failure(error_access_denied);
        if (!found) return OsStatus::success();
        if (!(last ? root_may_trust(info) : root_may_pass(info))) return OsStatus::failure(error_access_denied);
        if (!S_ISLNK(info.st_mode)) {
            at = next;
            here = info;
            continue;
        }
        char text[4096];
        ssize_t length = sys_readlink(next.c_str(), text, sizeof text);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof text || --links_left < 0)
            return OsStatus::failure(error_access_denied);
        std::string target(text, static_cast<std::size_t>(length));
        // The link's text takes its place; it is read from where the link is.
        std::deque<std::string> more = parts_of(target);
        parts.insert(parts.begin(), more.begin(), more.end());
        if (target.front() == '/') {
            at.assign(1, '/');
            if (sys_lstat("/", &here) != 0) return errno_status();
        }
    }
    // The path names a directory (or ".").
    return root_may_trust(here) ? OsStatus::success() : OsStatus::failure(error_access_denied);
}

}  // namespace ketrav::platform::posix
