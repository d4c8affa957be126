// Helpers shared by the tests.
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#endif

#if __has_include("tested_ketrav.h")
#include "tested_ketrav.h"
#endif
#include "platform/local_date.h"
#include "platform/process.h"

namespace ketrav::testing {
namespace fs = std::filesystem;

ScratchDirectory::ScratchDirectory() : earlier_(fs::current_path()) {
    static std::atomic<unsigned> serial{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    // The process id too: two test processes may read the same clock tick.
    path_ = fs::temp_directory_path() / ("ketrav-test-" + std::to_string(ketrav::platform::current_process_id()) + "-" +
                                         std::to_string(stamp) + "-" + std::to_string(serial++));
    fs::create_directories(path_);
    fs::current_path(path_);
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    fs::current_path(earlier_, ignored);
    // Read-only files must become writable before Windows lets them go.
    for (auto& entry : fs::recursive_directory_iterator(path_, ignored))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

void write_bytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read_bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

bool exists(const fs::path& file) {
    std::error_code ignored;
    return fs::exists(file, ignored);
}

#ifdef _WIN32
void hold_as_a_reader(const std::filesystem::path& file, int milliseconds) {
    HANDLE held = CreateFileA(file.string().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    Sleep(static_cast<DWORD>(milliseconds));
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
}

void poll_as_a_viewer(const std::filesystem::path& file, const std::atomic<bool>& stop, int& refused, int& opened) {
    while (!stop) {
        HANDLE viewed =
            CreateFileA(file.string().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (viewed != INVALID_HANDLE_VALUE) {
            ++opened;
            CloseHandle(viewed);
        } else if (GetLastError() == ERROR_SHARING_VIOLATION) {
            ++refused;
        }
        Sleep(1);
    }
}

void reopen_as_a_reader(const std::filesystem::path& file, const std::atomic<bool>& stop, unsigned seed) {
    std::mt19937 draw(seed);
    std::uniform_int_distribution<DWORD> hold_ms(50, 500), gap_ms(0, 20);
    while (!stop) {
        HANDLE held = CreateFileA(file.string().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (held == INVALID_HANDLE_VALUE) {
            Sleep(1);
            continue;
        }
        Sleep(hold_ms(draw));
        CloseHandle(held);
        Sleep(gap_ms(draw));
    }
}
#endif

void make_read_only(const fs::path& file, bool read_only) {
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    read_only ? fs::perm_options::remove : fs::perm_options::add);
}

std::string program_path(const std::string& program) {
#ifdef KETRAV_TESTED_KETRAV
    // The tree's own ketrav is not the one that ships (the Windows .zip's
    // is built with other threads): the tests run the shipped one.
    if (program == "ketrav") return KETRAV_TESTED_KETRAV;
#endif
#ifdef _WIN32
    return platform::running_program_directory() + "\\" + program + ".exe";
#else
    return platform::running_program_directory() + "/" + program;
#endif
}

std::string command_word(const std::string& program) {
    return program.find(' ') == std::string::npos ? program : "\"" + program + "\"";
}

long run_and_wait(const std::string& command_line) {
    platform::ProcessStart start;
    start.command_line = command_line;
    platform::ProcessHandles started;
    if (!platform::create_process(start, started).ok) return -1;
    platform::wait_for_process(started.process);
    std::uint32_t code = 0;
    platform::exit_code_of_process(started.process, code);
    platform::close_handle(started.process);
    platform::close_handle(started.thread);
    return static_cast<long>(code);
}

namespace {
std::string self_program;
}  // namespace

int run_tests_or_child_job(int argc, char** argv, const std::string& program, ChildJob child_job) {
    if (argc >= 2 && std::string(argv[1]) == "--child") return child_job(argc, argv);
    self_program = program_path(program);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

std::string child_command(const std::string& job) { return command_word(self_program) + " --child " + job; }

std::string today_stamp() {
    platform::LocalDate today = platform::local_date();
    char text[16];
    std::snprintf(text, sizeof text, "%02d-%02d-%04d", today.month % 100, today.day % 100, today.year % 10000);
    return text;
}

bool wine_as_root() {
#ifdef _WIN32
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return false;
    // Probe it: make a read-only file and try to open it for writing.
    ScratchDirectory probe;
    write_bytes("probe.txt", "probe");
    make_read_only("probe.txt", true);
    HANDLE opened = CreateFileA("probe.txt", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return false;
    CloseHandle(opened);
    return true;
#else
    return false;
#endif
}

}  // namespace ketrav::testing
