// POSIX only: who a user is, from /etc/passwd and /etc/group read as files
// (a static program has no user database to ask at run time). The tables
// are the system's, but a careless or hostile line must still give no
// identity it does not plainly state: a number that does not fit a uid or
// gid names no one, and a file that is not a regular file is not read.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ketrav::platform::posix {

// Who a run acts as: a user, the user's group, and the groups the user is a
// member of, with the name and home the tables give.
struct Identity {
    uid_t user = 0;
    gid_t group = 0;
    std::vector<gid_t> groups;
    std::string name;  // empty when the tables do not list the user
    std::string home;
};

// The group of an owner the tables do not list: the kernel's own "no group"
// (overflowgid, Debian's nogroup), which by convention owns nothing and
// whose rights no file grants to anyone. Never the directory's group, which
// may be root's.
inline constexpr gid_t unlisted_owner_group = 65534;

// A decimal uid or gid field: digits alone, its value below 2^32 - 1 (the
// value -1 stands for "no change" to the calls that set them). False for
// anything else, with no exception whatever the text.
bool parse_table_number(const std::string& text, std::uint32_t& number);

// The identity of `user` from the texts of /etc/passwd and /etc/group. A
// user /etc/passwd does not list gets unlisted_owner_group and no other.
Identity identity_from_tables(uid_t user, const std::string& passwd, const std::string& group);

// A table's text: false when `path` is not a regular file, cannot be read
// whole, or is larger than any user table (16 MB). A FIFO or device in its
// place is never waited on.
bool read_table(const char* path, std::string& text);

}  // namespace ketrav::platform::posix
