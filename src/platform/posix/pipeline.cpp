// POSIX backend of pipeline.h: fork, pipes and dup2, as a shell does.
#include "platform/pipeline.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/file_io.h"
#include "platform/posix/child_process.h"
#include "platform/posix/paths.h"
#include "platform/posix/program_lookup.h"
#include "platform/posix/system_calls.h"

extern char** environ;

namespace ketrav::platform {
namespace {

constexpr int failed_stage = 1;

// Puts `fd` on `target` for the program to come. When the two are already
// one (the descriptor was free because the parent started with it closed),
// dup2 would do nothing and leave close-on-exec set: clear it instead.
bool move_to(int fd, int target) {
    if (fd == target) return posix::sys_keep_on_exec(fd) == 0;
    if (posix::sys_dup2(fd, target) < 0) return false;
    posix::sys_close(fd);
    return true;
}

// Opens a redirection's file by the program's own file rules: no sharing
// (the lock stays with the stage while it runs), no directory, no read-only
// file written to, a FIFO or device never waited on.
bool redirect(const std::string& name, FileAccess access, bool append, int target) {
    OsHandle handle;
    if (!open_file(name, access, handle).ok) return false;
    int fd = static_cast<int>(handle.value);
    FileKind kind = FileKind::other;
    if (access == FileAccess::write && file_kind(handle, kind).ok && kind == FileKind::disk) {
        // Emptied only now that it is safely open and locked.
        if (append ? posix::sys_lseek(fd, 0, SEEK_END) < 0 : !set_end_of_file(handle).ok) return false;
    }
    return move_to(fd, target);
}

// In the child: the stage's streams, then the builtin or the program.
[[noreturn]] void run_stage(const PipelineStage& stage, BuiltinLookup builtin_for) {
    if (!stage.input.empty() && !redirect(stage.input, FileAccess::read, false, 0)) _exit(failed_stage);
    if (!stage.output.empty() && !redirect(stage.output, FileAccess::write, stage.append, 1)) _exit(failed_stage);
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
            // The stage must not hold its reader's end: a builtin, which
            // runs without exec, would keep the pipe open for reading, and
            // would wait for ever on a full pipe once its reader had ended
            // (a sort that stopped early, or was killed).
            if (!last) posix::sys_close(pipe_ends[0]);
            if (previous_read >= 0 && !move_to(previous_read, 0)) _exit(failed_stage);
            if (!last && !move_to(pipe_ends[1], 1)) _exit(failed_stage);
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
