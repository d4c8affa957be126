// Windows wildcard matching, shared by both backends' tests and the POSIX find.
#include <cstddef>
#include <string>

#include "platform/find_files.h"

namespace ketrav::platform {
namespace {

char fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// '*' any run, '?' one character; letters compare without case, as on Windows.
bool glob(const char* p, std::size_t pn, const char* s, std::size_t sn) {
    std::size_t pi = 0, si = 0, star = std::string::npos, mark = 0;
    while (si < sn) {
        if (pi < pn && (p[pi] == '?' || (p[pi] != '*' && fold(p[pi]) == fold(s[si])))) {
            ++pi;
            ++si;
        } else if (pi < pn && p[pi] == '*') {
            star = pi++;
            mark = si;
        } else if (star != std::string::npos) {
            pi = star + 1;
            si = ++mark;
        } else {
            return false;
        }
    }
    while (pi < pn && p[pi] == '*') ++pi;
    return pi == pn;
}

}  // namespace

bool wildcard_match(const std::string& pattern, const std::string& name) {
    if (glob(pattern.data(), pattern.size(), name.data(), name.size())) return true;
    // A trailing ".*" also matches a name with no extension: "*.*" matches
    // every name and "x.*" matches "x", as on Windows.
    if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 && name.find('.') == std::string::npos)
        return glob(pattern.data(), pattern.size() - 2, name.data(), name.size());
    return false;
}

}  // namespace ketrav::platform
