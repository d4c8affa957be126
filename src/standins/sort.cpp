// sort: orders the lines of its input (standard input, or the files named)
// byte-wise and writes them with CR LF. Stands in for the system's sort
// where there is none, and keeps KetRAV's line rules where the system's
// would not.
#include <cstdio>
#include <string>

#include "platform/console.h"
#include "platform/file_io.h"
#include "standins/sort_lines.h"

namespace {

bool append_stream(std::FILE* in, std::string& bytes) {
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) bytes.append(buffer, got);
    return !std::ferror(in);
}

// A named input opens as the program's own files do: no sharing, '\' and
// '/' alike, a FIFO or device read as empty.
bool append_file(const std::string& name, std::string& bytes) {
    using namespace ketrav::platform;
    OsHandle file;
    if (!open_file(name, FileAccess::read, file).ok) return false;
    char buffer[65536];
    std::uint32_t got = 0;
    OsStatus status;
    while ((status = read_file(file, buffer, sizeof buffer, got)).ok && got > 0) bytes.append(buffer, got);
    close_handle(file);
    return status.ok;
}

std::string upper(std::string word) {
    for (char& c : word)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return word;
}

// The system sort's switches that take a value in the next word.
bool takes_value(const std::string& word) {
    std::string name = upper(word.substr(1));
    return name == "M" || name == "MEMORY" || name == "L" || name == "LOCALE" || name == "REC" ||
           name == "RECORD_MAXIMUM" || name == "T" || name == "TEMPORARY" || name == "O" || name == "OUTPUT";
}

// The system sort's switches, which this sort takes and ignores. Anything
// else is a file, also a POSIX path such as /tmp/in.txt.
bool is_switch(const std::string& word) {
    if (word.size() < 2 || word[0] != '/') return false;
    std::string name = upper(word.substr(1));
    if (name == "R" || name == "UNIQUE" || name == "C" || name == "CASE_SENSITIVE") return true;
    if (name[0] == '+' && name.size() > 1 && name.find_first_not_of("0123456789", 1) == std::string::npos) return true;
    return takes_value(word);
}

}  // namespace

int main(int argc, char** argv) {
    ketrav::platform::use_binary_standard_streams();
    std::string bytes;
    bool named_a_file = false;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (is_switch(word)) {
            if (takes_value(word)) ++i;
            continue;
        }
        named_a_file = true;
        if (!append_file(word, bytes)) return 1;
    }
    if (!named_a_file && !append_stream(stdin, bytes)) return 1;

    std::string out = ketrav::standins::sorted_text(ketrav::standins::split_lines(bytes));
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) return 1;
    return 0;
}
