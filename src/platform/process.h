// Creating a process from a command line, waiting for it, and ending this one.
#pragma once

#include <cstdint>
#include <string>

#include "platform/os_status.h"

namespace ketrav::platform {

struct ProcessStart {
    std::string command_line;  // program name first, handed on as it is
    std::uint16_t show_window = 1;
    bool inherit_handles = false;
    // The directory claim, when one is held: handed to the child, which
    // passes it on to its own, so that the claim lasts until the last
    // helper has ended.
    OsHandle claim;
};

struct ProcessHandles {
    OsHandle process;
    OsHandle thread;
    std::uint32_t process_id = 0;
    std::uint32_t thread_id = 0;
};

// The program is looked up as Windows does for CreateProcess on Windows; on
// POSIX in this program's own directory first, then its helper directory,
// then along the absolute PATH entries, never in the current directory. A missing program gives 2. Both handles must be
// closed with close_handle.
OsStatus create_process(const ProcessStart& start, ProcessHandles& started);
OsStatus wait_for_process(OsHandle process);
OsStatus exit_code_of_process(OsHandle process, std::uint32_t& exit_code);

// This process's identifier, as create_process reports it for a child.
std::uint32_t current_process_id();

// The directory that holds the running program; empty when the system
// cannot tell.
std::string running_program_directory();

// Called once at start-up with argv[0]: where the system offers no other
// way (no /proc), the program's own directory is found from it.
void remember_program_invocation(const char* argv0);

// For a helper program (cmd, sort) at its start: the process ends when the
// process that started it ends, however that ends, so that no part of the
// sorting command goes on writing into the next run's files. Linux asks for
// a signal at the parent's death; on Windows the program's job object does
// it, and elsewhere nothing is done.
void end_with_parent();

// Ends the process at once with `code`; nothing is flushed or closed.
[[noreturn]] void exit_process(std::uint32_t code);

}  // namespace ketrav::platform
