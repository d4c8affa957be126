// POSIX only: argv and exit status of a child process.
#include "platform/posix/child_process.h"

#include <sys/wait.h>

namespace ketrav::platform::posix {

std::vector<char*> argv_of(std::vector<std::string>& words) {
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    return argv;
}

std::uint32_t exit_code_of(int wait_status) {
    if (WIFEXITED(wait_status)) return static_cast<std::uint32_t>(WEXITSTATUS(wait_status));
    if (WIFSIGNALED(wait_status)) return 128u + static_cast<std::uint32_t>(WTERMSIG(wait_status));
    return 0;
}

void name_program_by_path(std::vector<std::string>& words, const std::string& program) {
    if (!words.empty() && words[0].find_first_of("/\\") == std::string::npos) words[0] = program;
}

}  // namespace ketrav::platform::posix
