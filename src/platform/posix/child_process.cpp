// POSIX only: argv and exit status of a child process.
#include "platform/posix/child_process.h"

#include <sys/wait.h>

#include <cstdlib>

extern char** environ;

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

namespace {

constexpr const char* parent_variable = "KETRAV_PARENT";

}  // namespace

std::vector<std::string> environment_for_child(pid_t parent) {
    std::vector<std::string> environment;
    const std::string prefix = std::string(parent_variable) + "=";
    for (char** entry = environ; entry && *entry; ++entry)
        if (std::string(*entry).compare(0, prefix.size(), prefix) != 0) environment.emplace_back(*entry);
    environment.push_back(prefix + std::to_string(parent));
    return environment;
}

void name_parent_in_environment(pid_t parent) { setenv(parent_variable, std::to_string(parent).c_str(), 1); }

pid_t parent_named_in_environment() {
    const char* named = std::getenv(parent_variable);
    if (!named) return 0;
    char* end = nullptr;
    long value = std::strtol(named, &end, 10);
    return end != named && *end == '\0' && value > 0 ? static_cast<pid_t>(value) : 0;
}

}  // namespace ketrav::platform::posix
