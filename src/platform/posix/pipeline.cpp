// POSIX backend of pipeline.h: fork, pipes and dup2, as a shell does.
#include "platform/pipeline.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include "platform/file_io.h"
#include "platform/posix/child_process.h"
#include "platform/posix/paths.h"
#include "platform/posix/program_lookup.h"
#include "platform/posix/system_calls.h"
#include "platform/process.h"

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

// In a new stage: signals as a program started afresh has them (the
// console's breaks as cmd has them: ignored when its starter ignores them),
// and the stage ends with cmd, however cmd ends.
bool start_afresh(pid_t cmd) {
    for (int signal : {SIGTERM, SIGXFSZ, SIGPIPE}) std::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // The stage's program asks again at its start, of cmd.
    posix::name_parent_in_environment(cmd);
    end_with_parent();
    return getppid() == cmd;
}

// Opens a redirection's file by the program's own file rules: no sharing
// (the lock stays with the stage while it runs), no directory, no read-only
// file written to, a FIFO or device never waited on.
bool redirect(const std::string& name, FileAccess access, bool append, int target) {
    OsHandle handle;
    if (!open_file(name, access, handle).ok) return false;
    int fd = static_cast<int>(handle.value);
    // Opened without blocking so that the open never waits; the program
    // reads and writes it as it would any file of its own.
    if (posix::sys_make_blocking(fd) != 0) return false;
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
        // A failure told only at the flush or the close is a failure too.
        if (std::fflush(stdout) != 0 || posix::sys_close(1) != 0) status = failed_stage;
        _exit(status);
    }
    std::string program;
    bool found = stage.helper_only ? posix::find_helper(stage.words[0], program).ok
                                   : posix::find_program(stage.words[0], program).ok;
    if (!found) {
        _exit(failed_stage);
    }
    std::vector<std::string> words = stage.words;
    posix::name_program_by_path(words, program);
    posix::sys_execve(program.c_str(), posix::argv_of(words).data(), environ);
    _exit(failed_stage);
}

}  // namespace

int run_pipeline(const std::vector<PipelineStage>& stages, BuiltinLookup builtin_for) {
    // Waiting needs SIGCHLD at its default, which an ignoring parent may have
    // handed on.
    std::signal(SIGCHLD, SIG_DFL);
    std::vector<pid_t> children;
    pid_t cmd = getpid();
    int previous_read = -1;
    for (std::size_t i = 0; i < stages.size(); ++i) {
        int pipe_ends[2] = {-1, -1};
        bool last = i + 1 == stages.size();
        if (!last && posix::sys_pipe2(pipe_ends, O_CLOEXEC) != 0) break;
        std::fflush(nullptr);
        pid_t child = posix::sys_fork();
        if (child == 0) {
            if (!start_afresh(cmd)) _exit(failed_stage);
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

    // The last stage's status, unless a stage could not start, was killed by
    // a signal (a crash, a kill), or could not be waited for: then the
    // command failed, as its output may be cut short whatever the last stage
    // says.
    int last_status = children.size() == stages.size() ? 0 : failed_stage;
    for (std::size_t i = 0; i < children.size(); ++i) {
        int status = 0;
        pid_t done = 0;
        while ((done = posix::sys_waitpid(children[i], &status, 0)) < 0 && errno == EINTR) {
        }
        // A writer whose reader has ended ends by SIGPIPE: the reader's
        // status tells.
        bool failed = done < 0 || (WIFSIGNALED(status) && WTERMSIG(status) != SIGPIPE);
        if (failed && last_status == 0) last_status = failed_stage;
        if (i + 1 == stages.size() && last_status == 0) last_status = static_cast<int>(posix::exit_code_of(status));
    }
    return last_status;
}

}  // namespace ketrav::platform
