// POSIX only: the user tables of identity_tables.h.
#include "platform/posix/identity_tables.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdint>

#include "platform/posix/descriptor.h"
#include "platform/posix/system_calls.h"

namespace ketrav::platform::posix {
namespace {

constexpr std::size_t largest_table = 16u << 20;

std::vector<std::string> fields_of(const std::string& line, char separator) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == separator)
            fields.emplace_back();
        else
            fields.back().push_back(c);
    }
    return fields;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines = fields_of(text, '\n');
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

}  // namespace

bool parse_table_number(const std::string& text, std::uint32_t& number) {
    if (text.empty() || text.size() > 10) return false;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value >= 0xFFFFFFFFull) return false;
    number = static_cast<std::uint32_t>(value);
    return true;
}

Identity identity_from_tables(uid_t user, const std::string& passwd, const std::string& group) {
    Identity identity;
    identity.user = user;
    identity.group = unlisted_owner_group;
    for (const std::string& line : lines_of(passwd)) {
        std::vector<std::string> fields = fields_of(line, ':');
        std::uint32_t uid = 0, gid = 0;
        if (fields.size() < 4 || fields[0].empty() || !parse_table_number(fields[2], uid) || uid != user ||
            !parse_table_number(fields[3], gid))
            continue;
        identity.name = fields[0];
        identity.group = static_cast<gid_t>(gid);
        if (fields.size() > 5) identity.home = fields[5];
        break;
    }
    identity.groups.push_back(identity.group);
    if (identity.name.empty()) return identity;
    for (const std::string& line : lines_of(group)) {
        std::vector<std::string> fields = fields_of(line, ':');
        std::uint32_t gid = 0;
        if (fields.size() < 4 || !parse_table_number(fields[2], gid)) continue;
        for (const std::string& member : fields_of(fields[3], ','))
            if (member == identity.name && gid != identity.group) identity.groups.push_back(static_cast<gid_t>(gid));
    }
    return identity;
}

bool read_table(const char* path, std::string& text) {
    text.clear();
    Descriptor table(sys_open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0));
    struct stat info {};
    if (table.get() < 0 || sys_fstat(table.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    char block[4096];
    for (;;) {
        ssize_t got = sys_read(table.get(), block, sizeof block);
        if (got == 0) return true;
        if (got < 0 || text.size() + static_cast<std::size_t>(got) > largest_table) return false;
        text.append(block, static_cast<std::size_t>(got));
    }
}

}  // namespace ketrav::platform::posix
