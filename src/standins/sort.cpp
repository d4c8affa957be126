// sort: orders the lines of its input (standard input, or the files named)
// byte-wise and writes them with CR LF. Stands in for the system's sort
// where there is none, and keeps KetRAV's line rules where the system's
// would not. Its memory is bounded: a large input is sorted in runs that
// pass through the system's temporary directory.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/file_io.h"
#include "platform/process.h"
#include "platform/scratch_files.h"
#include "standins/external_sort.h"

namespace {

using ketrav::standins::ExternalSort;

constexpr std::size_t read_bytes = 256u << 10;

// Standard input, read to its end even past 0x1A, so that the command
// writing into the pipe never meets a closed one.
bool add_stream(std::FILE* in, ExternalSort& sort) {
    std::vector<char> buffer(read_bytes);
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), in)) > 0)
        if (!sort.add(buffer.data(), got)) return false;
    return !std::ferror(in);
}

// A named input opens as the program's own files do: no sharing, '\' and
// '/' alike, a FIFO or device read as empty.
bool add_file(const std::string& name, ExternalSort& sort) {
    using namespace ketrav::platform;
    OsHandle file;
    if (!open_file(name, FileAccess::read, file).ok) return false;
    std::vector<char> buffer(read_bytes);
    std::uint32_t got = 0;
    OsStatus status;
    bool ok = true;
    while (ok && !sort.input_ended() &&
           (status = read_file(file, buffer.data(), static_cast<std::uint32_t>(buffer.size()), got)).ok && got > 0)
        ok = sort.add(buffer.data(), got);
    close_handle(file);
    return ok && status.ok;
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
    ketrav::platform::end_with_parent();
    ketrav::platform::use_binary_standard_streams();
    ExternalSort sort(ketrav::standins::SortLimits{}, ketrav::platform::scratch_directory());
    bool named_a_file = false;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (is_switch(word)) {
            if (takes_value(word)) ++i;
            continue;
        }
        named_a_file = true;
        if (!add_file(word, sort)) return 1;
    }
    if (!named_a_file && !add_stream(stdin, sort)) return 1;

    auto to_standard_output = [](const char* bytes, std::size_t size) {
        return std::fwrite(bytes, 1, size, stdout) == size;
    };
    // A failure told only at the flush or the close fails the sort too.
    bool written = sort.finish(to_standard_output);
    if (std::fflush(stdout) != 0) written = false;
    if (std::fclose(stdout) != 0) written = false;
    return written ? 0 : 1;
}
