// POSIX backend of process.h: posix_spawn with the Windows argv rules.
#include "platform/process.h"

#include <spawn.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <csignal>
#include <map>

#include "platform/argv_split.h"
#include "platform/call_table.h"
#include "platform/posix/child_process.h"
#include "platform/posix/errno_mapping.h"
#include "platform/posix/file_io.h"
#include "platform/posix/own_directory.h"
#include "platform/posix/process.h"
#include "platform/posix/program_lookup.h"
#include "platform/posix/system_calls.h"

extern char** environ;

namespace ketrav::platform {
namespace {

struct ProcessRecord {
    pid_t pid = 0;
    bool waited = false;
    int status = 0;
};

// Handles are negative numbers, so they never meet a file descriptor. A
// thread handle has no record of its own on POSIX: it stands for nothing.
std::map<std::intptr_t, ProcessRecord> processes;
std::intptr_t next_handle = -2;

ProcessRecord* record_of(OsHandle handle) {
    auto it = processes.find(handle.value);
    return it == processes.end() ? nullptr : &it->second;
}

}  // namespace

bool posix::release_process_handle(OsHandle handle) { return processes.erase(handle.value) == 1; }

OsStatus create_process(const ProcessStart& start, ProcessHandles& started) {
    started = ProcessHandles{};
    std::vector<std::string> words = split_command_line(std::string(start.command_line.c_str()));
    if (words.empty()) return OsStatus::failure(error_file_not_found);
    std::string program;
    OsStatus found = posix::find_program(words[0], program);
    if (!found.ok) return found;

    posix::name_program_by_path(words, program);
    std::vector<char*> argv = posix::argv_of(words);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Our files are opened close-on-exec; a dup2 onto itself lets one through.
    if (start.inherit_handles)
        for (int fd : posix::inheritable_descriptors()) posix_spawn_file_actions_adddup2(&actions, fd, fd);
    if (start.claim.valid()) {
        int claim = static_cast<int>(start.claim.value);
        posix_spawn_file_actions_adddup2(&actions, claim, claim);
    }
    // The child starts as Windows starts one: no signal blocked, every one
    // at its default but the console's breaks (interrupt, quit, hang-up),
    // which it ignores when this program does, as a console's child shares
    // its parent's console: a break sent to the whole group reaches the
    // helpers as it reaches the program, and changes nothing.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t every_signal, none;
    sigfillset(&every_signal);
    for (int signal : {SIGINT, SIGQUIT, SIGHUP}) {
        struct sigaction now {};
        if (sigaction(signal, nullptr, &now) == 0 && now.sa_handler == SIG_IGN) sigdelset(&every_signal, signal);
    }
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &every_signal);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    pid_t pid = 0;
    std::vector<std::string> environment = posix::environment_for_child(getpid());
    std::vector<char*> envp = posix::argv_of(environment);
    int failed = posix::sys_posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        return OsStatus::failure(os_error_from_errno(failed));
    }

    ProcessRecord record;
    record.pid = pid;
    started.process.value = next_handle--;
    processes[started.process.value] = record;
    started.thread.value = next_handle--;
    processes[started.thread.value] = ProcessRecord{};
    started.process_id = static_cast<std::uint32_t>(pid);
    started.thread_id = static_cast<std::uint32_t>(pid);
    note_handle_opened();
    note_handle_opened();
    return OsStatus::success();
}

OsStatus wait_for_process(OsHandle process) {
    ProcessRecord* record = record_of(process);
    if (!record || record->pid == 0) return OsStatus::failure(error_invalid_handle);
    if (record->waited) return OsStatus::success();
    int status = 0;
    pid_t done = 0;
    do {
        done = posix::sys_waitpid(record->pid, &status, 0);
    } while (done < 0 && errno == EINTR);
    if (done < 0) return posix::errno_status();
    record->waited = true;
    record->status = status;
    return OsStatus::success();
}

OsStatus exit_code_of_process(OsHandle process, std::uint32_t& exit_code) {
    exit_code = 0;
    ProcessRecord* record = record_of(process);
    if (!record || record->pid == 0) return OsStatus::failure(error_invalid_handle);
    if (!record->waited) {
        exit_code = 259;  // STILL_ACTIVE, as Windows answers for a running process
        return OsStatus::success();
    }
    exit_code = posix::exit_code_of(record->status);
    return OsStatus::success();
}

std::uint32_t current_process_id() { return static_cast<std::uint32_t>(getpid()); }

std::string running_program_directory() { return posix::own_directory(); }

void remember_program_invocation(const char* argv0) { posix::remember_invocation(argv0); }

void end_with_parent() {
#ifdef __linux__
    // The parent's own word for its process id: read after the request, a
    // parent that ended before it would give the same answer twice.
    pid_t parent = posix::parent_named_in_environment();
    if (parent <= 0) parent = getppid();
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(1);
#endif
}

void exit_process(std::uint32_t code) { _exit(static_cast<int>(code & 0xFF)); }

}  // namespace ketrav::platform
