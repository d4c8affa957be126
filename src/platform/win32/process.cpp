// Windows backend of process.h: CreateProcessA and waiting on the handle.
#include "platform/process.h"

#include <vector>

#include "platform/call_table.h"
#include "platform/win32/win32_call.h"

namespace ketrav::platform {

using win32::guarded;
using win32::native;

namespace {

struct EndingJob {
    HANDLE job = nullptr;
    // This process is in the job itself, so every child is in it from its
    // first instruction: no moment in which the program can end and leave
    // a child outside it.
    bool joined = false;
};

// A job that ends every process in it when its last handle closes: this
// process holds the only one, so the sorting command's processes end when
// the program ends, however it ends. The program joins it first where the
// system lets it (any Windows not yet in a job, and every Windows from 8
// on); elsewhere each child is put in it before it is let run. Null where
// the system lets no job be made: the children then run as they would
// without one.
const EndingJob& ending_job() {
    static const EndingJob ending = [] {
        EndingJob made;
        made.job = CreateJobObjectA(nullptr, nullptr);
        if (!made.job) return made;
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!SetInformationJobObject(made.job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
            CloseHandle(made.job);
            made.job = nullptr;
            return made;
        }
        made.joined = AssignProcessToJobObject(made.job, GetCurrentProcess()) != 0;
        return made;
    }();
    return ending;
}

}  // namespace

OsStatus create_process(const ProcessStart& start, ProcessHandles& started) {
    started = ProcessHandles{};
    if (OsError fault = intercept_call(SystemCall::create_process)) return OsStatus::failure(fault);
    // CreateProcessA may write into the command line, so it gets a copy.
    std::vector<char> line(start.command_line.begin(), start.command_line.end());
    line.push_back('\0');

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = start.show_window;
    SECURITY_ATTRIBUTES security{};
    security.nLength = sizeof security;
    security.bInheritHandle = start.inherit_handles ? TRUE : FALSE;
    PROCESS_INFORMATION info{};

    // Started suspended, so that it is in the job and holds the claim
    // before it can start a process of its own.
    const EndingJob& ending = ending_job();
    HANDLE job = ending.joined ? nullptr : ending.job;
    DWORD flags = NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED;
    auto create = [&](DWORD extra) {
        return guarded([&] {
            return CreateProcessA(nullptr, line.data(), &security, &security, start.inherit_handles ? TRUE : FALSE,
                                  flags | extra, nullptr, nullptr, &startup, &info) != 0;
        });
    };
    OsStatus status = create(0);
    if (!status.ok) return status;
    BOOL in_job = FALSE;
    if (job && !AssignProcessToJobObject(job, info.hProcess) && IsProcessInJob(GetCurrentProcess(), nullptr, &in_job) &&
        in_job) {
        // Windows 7 and older put a process in one job only: a program
        // started inside a job (by a scheduler, a service) starts its child
        // outside that job where the job lets it, so that it can join ours.
        // Anywhere else the child runs as it would without a job.
        TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        status = create(CREATE_BREAKAWAY_FROM_JOB);
        // Not let out: the child runs in the outer job alone, which ends it
        // only when that job ends.
        if (!status.ok) status = create(0);
        if (!status.ok) return status;
        AssignProcessToJobObject(job, info.hProcess);
    }
    // The claim, given to the child as a handle it passes on to its own
    // children: the lock file stays open, and so claimed, until the last
    // helper has ended, in a job or not.
    if (start.claim.valid()) {
        HANDLE claim = native(start.claim);
        HANDLE given = nullptr;
        status = guarded([&] {
            return DuplicateHandle(GetCurrentProcess(), claim, info.hProcess, &given, 0, TRUE, DUPLICATE_SAME_ACCESS) !=
                   0;
        });
        if (!status.ok) {
            TerminateProcess(info.hProcess, 1);
            CloseHandle(info.hThread);
            CloseHandle(info.hProcess);
            return status;
        }
    }
    ResumeThread(info.hThread);
    note_handle_opened();
    note_handle_opened();
    started.process.value = reinterpret_cast<std::intptr_t>(info.hProcess);
    started.thread.value = reinterpret_cast<std::intptr_t>(info.hThread);
    started.process_id = info.dwProcessId;
    started.thread_id = info.dwThreadId;
    return status;
}

OsStatus wait_for_process(OsHandle process) {
    // INVALID_HANDLE_VALUE is this process's own pseudo-handle: waiting on
    // it would never end.
    if (!process.valid()) return OsStatus::failure(error_invalid_handle);
    if (OsError fault = intercept_call(SystemCall::wait_for_process)) return OsStatus::failure(fault);
    return guarded([&] { return WaitForSingleObject(native(process), INFINITE) != WAIT_FAILED; });
}

OsStatus exit_code_of_process(OsHandle process, std::uint32_t& exit_code) {
    exit_code = 0;
    if (!process.valid()) return OsStatus::failure(error_invalid_handle);
    if (OsError fault = intercept_call(SystemCall::exit_code_of_process)) return OsStatus::failure(fault);
    DWORD code = 0;
    OsStatus status = guarded([&] { return GetExitCodeProcess(native(process), &code) != 0; });
    exit_code = code;
    return status;
}

std::uint32_t current_process_id() { return GetCurrentProcessId(); }

std::string running_program_directory() {
    char path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, length);
    std::size_t slash = full.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : full.substr(0, slash);
}

// The job object of the program that started this one ends it.
void end_with_parent() {}

// Windows knows its program's path from the module itself.
void remember_program_invocation(const char*) {}

void exit_process(std::uint32_t code) { ExitProcess(code); }

}  // namespace ketrav::platform
