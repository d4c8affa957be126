// POSIX backend of pipeline.h: fork, pipes and dup2, as a shell does.
#include "platform/pipeline.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/posix/child_process.h"
#include "platform/posix/paths.h"
#include "platform/posix/program_lookup.h"
#include "platform/posix/system_calls.h"

extern char** environ;

namespace ketrav::platform {
namespace {

constexpr int failed_stage = 1;

bool redirect(const std::string& name, int flags, int target) {
    int fd = posix::sys_open(posix::native_path(name).c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    posix::sys_dup2(fd, target);
    posix::sys_close(fd);
    return true;
}

// In the child: the stage's streams, then the builtin or the program.
[[noreturn]] void run_stage(const PipelineStage& stage, BuiltinLookup builtin_for) {
    if (!stage.input.empty() && !redirect(stage.input, O_RDONLY, 0)) _exit(failed_stage);
    if (!stage.output.empty() && !redirect(stage.output, O_WRONLY | O_CREAT | (stage.append ? O_APPEND : O_TRUNC), 1))
        _exit(failed_stage);
    if (stage.words.empty()) _exit(0);
    if (BuiltinCommand builtin = builtin_for(stage.words[0])) {
        int status = builtin(stage.words);
        std::fflush(stdout);
        _exit(status);
    }
    std::string program;
    if (!posix::find_program(stage.words[0], program).ok) {
        _exit(failed_stage);
    }
    std::vector<std::string> words = stage.words;
    posix::name_program_by_path(words, program);
    posix::sys_execve(program.c_str(), posix::argv_of(words).data(), environ);
    _exit(failed_stage);
}

}  // namespace

int run_pipeline(const std::vector<PipelineStage>& stages, BuiltinLookup builtin_for) {
    std::vector<pid_t> children;
    int previous_read = -1;
    for (std::size_t i = 0; i < stages.size(); ++i) {
        int pipe_ends[2] = {-1, -1};
        bool last = i + 1 == stages.size();
        if (!last && posix::sys_pipe2(pipe_ends, O_CLOEXEC) != 0) break;
        std::fflush(nullptr);
        pid_t child = posix::sys_fork();
        if (child == 0) {
            if (previous_read >= 0) posix::sys_dup2(previous_read, 0);
            if (!last) posix::sys_dup2(pipe_ends[1], 1);
            run_stage(stages[i], builtin_for);
        }
        if (previous_read >= 0) posix::sys_close(previous_read);
        if (!last) posix::sys_close(pipe_ends[1]);
        previous_read = last ? -1 : pipe_ends[0];
        if (child < 0) break;
        children.push_back(child);
    }
    if (previous_read >= 0) posix::sys_close(previous_read);

    int last_status = failed_stage;
    for (std::size_t i = 0; i < children.size(); ++i) {
        int status = 0;
        while (posix::sys_waitpid(children[i], &status, 0) < 0 && errno == EINTR) {
        }
        if (i + 1 == stages.size()) last_status = static_cast<int>(posix::exit_code_of(status));
    }
    return last_status;
}

}  // namespace ketrav::platform
