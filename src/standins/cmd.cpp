// cmd: "cmd /c COMMAND" for POSIX systems, where the system has no Windows
// command interpreter. It knows pipelines, '<', '>' and '>>', and the
// builtins `type` and `exit`; any other word is a program, looked up in
// cmd's own directory first, then along the absolute PATH entries (sort only
// beside cmd and in the helper directories). Its files
// open by the program's own rules, as Windows' cmd would find them. It prints no messages: its
// exit status tells, and KetRAV's run writes nothing to the console.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/file_io.h"
#include "platform/pipeline.h"
#include "platform/process.h"
#include "standins/cmd_parse.h"

namespace {

std::string lower(std::string word) {
    for (char& c : word)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return word;
}

// type FILE...: the files' bytes, unchanged, to standard output. The files
// open as the program's own do ('\' separates directories, no sharing, a
// FIFO or device never waited on), so type fails where Windows' would.
// A read that fails ends the file's copy and fails the command: a copy cut
// short is no copy.
int type_files(const std::vector<std::string>& words) {
    using namespace ketrav::platform;
    if (words.size() < 2) {
        return 1;
    }
    // Off the stack, which a small stack limit may not hold.
    std::vector<char> buffer(65536);
    int status = 0;
    for (std::size_t i = 1; i < words.size(); ++i) {
        OsHandle file;
        if (!open_file(words[i], FileAccess::read, file).ok) {
            status = 1;
            continue;
        }
        std::uint32_t got = 0;
        OsStatus read;
        while ((read = read_file(file, buffer.data(), static_cast<std::uint32_t>(buffer.size()), got)).ok && got > 0)
            if (std::fwrite(buffer.data(), 1, got, stdout) != got) status = 1;
        if (!read.ok) status = 1;
        close_handle(file);
    }
    return status;
}

// exit [N]
int exit_with(const std::vector<std::string>& words) {
    return words.size() >= 2 ? static_cast<int>(std::strtol(words[1].c_str(), nullptr, 10)) : 0;
}

ketrav::platform::BuiltinCommand builtin_for(const std::string& word) {
    std::string name = lower(word);
    if (name == "type") return type_files;
    if (name == "exit") return exit_with;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    ketrav::platform::end_with_parent();
    ketrav::platform::keep_owner_access_to_new_files();
    ketrav::platform::remember_program_invocation(argc > 0 ? argv[0] : nullptr);
    if (argc < 3 || lower(argv[1]) != "/c") return 1;
    std::string command;
    for (int i = 2; i < argc; ++i) {
        if (i > 2) command += ' ';
        command += argv[i];
    }
    std::vector<ketrav::platform::PipelineStage> stages;
    if (!ketrav::standins::parse_pipeline(command, stages)) {
        return 1;
    }
    // sort is always the stand-in: the system's orders lines by other rules
    // (letter case, the locale) and splits them at LF.
    for (ketrav::platform::PipelineStage& stage : stages)
        stage.helper_only = !stage.words.empty() && lower(stage.words[0]) == "sort";
    // A lone exit ends cmd itself with its status.
    if (stages.size() == 1 && !stages[0].words.empty() && lower(stages[0].words[0]) == "exit" &&
        stages[0].output.empty() && stages[0].input.empty())
        return exit_with(stages[0].words);
    return ketrav::platform::run_pipeline(stages, builtin_for);
}
