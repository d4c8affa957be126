// Helpers shared by the tests: scratch directories, whole files, programs.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ketrav::testing {

// A fresh directory that is made the current directory for the life of the
// object; the earlier current directory comes back and the scratch goes.
class ScratchDirectory {
   public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const std::filesystem::path& path() const { return path_; }

   private:
    std::filesystem::path earlier_;
    std::filesystem::path path_;
};

void write_bytes(const std::filesystem::path& file, const std::string& bytes);
std::string read_bytes(const std::filesystem::path& file);
bool exists(const std::filesystem::path& file);
#ifdef _WIN32
// Opens `file` as a viewer or a poster does on Windows, sharing reading and
// writing, and holds it for `milliseconds`.
void hold_as_a_reader(const std::filesystem::path& file, int milliseconds);
// Opens and closes `file` again and again, as a viewer that shares
// everything polls it, until `stop` is set; the opens that a sharing
// violation refused, and those that succeeded, are counted.
void poll_as_a_viewer(const std::filesystem::path& file, const std::atomic<bool>& stop, int& refused, int& opened);
// Opens `file` sharing reading only, holds it 50 to 500 ms, lets go of it
// for 0 to 20 ms and opens it again, until `stop` is set: a reader that
// keeps coming back in bursts, its lengths drawn from `seed`. An open
// refused is tried again a millisecond later.
void reopen_as_a_reader(const std::filesystem::path& file, const std::atomic<bool>& stop, unsigned seed);
#endif
void make_read_only(const std::filesystem::path& file, bool read_only);

// The directory of the built programs, and one of them by name (".exe" is
// added on Windows).
std::string program_path(const std::string& program);

// A program path as the first word of a command line: in double quotes
// when it holds a space, as a rebuilt command line writes it.
std::string command_word(const std::string& program);

// Runs a command line through the OS layer, waiting; returns the exit code,
// or -1 when it could not start.
long run_and_wait(const std::string& command_line);

// The process-child protocol: a test binary run with first argument
// "--child" does a small job instead of its tests and exits with its
// result. The main() of such a test: runs `child_job` for a child run, the
// tests otherwise; `program` is the test binary's own name.
using ChildJob = int (*)(int argc, char** argv);
int run_tests_or_child_job(int argc, char** argv, const std::string& program, ChildJob child_job);
// The command line that starts this test binary as a child doing `job`.
std::string child_command(const std::string& job);

std::string today_stamp();

// Wine run as root lets a read-only file open for writing, where Windows
// refuses it; the tests that check the refusal skip that one step there.
bool wine_as_root();

}  // namespace ketrav::testing
