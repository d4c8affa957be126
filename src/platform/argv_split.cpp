// The Windows command-line splitting rules, used where the system has none.
#include "platform/argv_split.h"

namespace ketrav::platform {
namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> split_command_line(const std::string& line) {
    std::vector<std::string> words;
    std::size_t i = 0, n = line.size();
    while (i < n && blank(line[i])) ++i;
    if (i >= n) return words;

    std::string program;
    if (line[i] == '"') {
        ++i;
        while (i < n && line[i] != '"') program += line[i++];
        if (i < n) ++i;
    } else {
        while (i < n && !blank(line[i])) program += line[i++];
    }
    words.push_back(program);

    for (;;) {
        while (i < n && blank(line[i])) ++i;
        if (i >= n) break;
        std::string word;
        bool quoted = false;
        while (i < n && (quoted || !blank(line[i]))) {
            if (line[i] == '\\') {
                std::size_t run = 0;
                while (i < n && line[i] == '\\') ++run, ++i;
                if (i < n && line[i] == '"') {
                    word.append(run / 2, '\\');
                    if (run % 2) word += line[i++];
                } else {
                    word.append(run, '\\');
                }
            } else if (line[i] == '"') {
                if (quoted && i + 1 < n && line[i + 1] == '"') {
                    word += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                word += line[i++];
            }
        }
        words.push_back(word);
    }
    return words;
}

}  // namespace ketrav::platform
