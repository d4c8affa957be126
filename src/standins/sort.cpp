// sort: orders the lines of its input (standard input, or the files named)
// byte-wise and writes them with CR LF. Stands in for the system's sort
// where there is none, and keeps KetRAV's line rules where the system's
// would not.
#include <cstdio>
#include <string>

#include "platform/console.h"
#include "standins/sort_lines.h"

namespace {

bool append_stream(std::FILE* in, std::string& bytes) {
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) bytes.append(buffer, got);
    return !std::ferror(in);
}

}  // namespace

int main(int argc, char** argv) {
    ketrav::platform::use_binary_standard_streams();
    std::string bytes;
    bool named_a_file = false;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (!word.empty() && word[0] == '/') continue;  // the system sort's switches are not ours
        named_a_file = true;
        std::FILE* in = std::fopen(argv[i], "rb");
        if (!in || !append_stream(in, bytes)) {
            if (in) std::fclose(in);
            return 1;
        }
        std::fclose(in);
    }
    if (!named_a_file && !append_stream(stdin, bytes)) return 1;

    std::string out = ketrav::standins::sorted_text(ketrav::standins::split_lines(bytes));
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) return 1;
    return 0;
}
