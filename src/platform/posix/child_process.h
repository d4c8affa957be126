// POSIX only: what starting and reaping a child takes, shared by the process
// backend and the pipeline.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ketrav::platform::posix {

// NUL-ended argv pointers into `words`, which must outlive them.
std::vector<char*> argv_of(std::vector<std::string>& words);

// A wait status as an exit code: the exit status, or 128 + the signal.
std::uint32_t exit_code_of(int wait_status);

// A program found by a lookup gets its full path as argv[0], so that a
// stand-in can find its own directory, and its fellow, without /proc. A
// name given with a directory stays as it was written.
void name_program_by_path(std::vector<std::string>& words, const std::string& program);

// This process's environment for a child, with `parent` named in it: the
// child learns from it whether its parent had already ended by the time it
// asked to end with it.
std::vector<std::string> environment_for_child(pid_t parent);
// Names `parent` in this process's own environment, for the programs it
// starts without environment_for_child (a stage of cmd's, after fork).
void name_parent_in_environment(pid_t parent);
// The parent named in the environment; 0 when none is.
pid_t parent_named_in_environment();

}  // namespace ketrav::platform::posix
