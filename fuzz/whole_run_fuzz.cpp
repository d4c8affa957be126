// A whole run on an arbitrary log and ketrav.ini (split at the first 0xFF
// byte) in a scratch directory, with the sorting step's processes: it ends
// with 0 (every record back from the sort, the areas adding up to the
// total), writes a report, and leaves no temporary file. Only a ketrav.ini
// may name a file that cannot be read or looked at (exit code 1), and then
// no report is written.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "report/run_report.h"
#include "services/date_and_command_tail.h"

namespace {

void write_file(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path host = std::filesystem::temp_directory_path() / "ketrav-fuzz-host";
    std::filesystem::remove_all(host);
    std::filesystem::create_directories(host / "logs");
    // The run works in the current directory; the fuzzer's own paths may be
    // relative to the one it started in.
    const std::filesystem::path earlier = std::filesystem::current_path();
    std::filesystem::current_path(host);
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::size_t split = bytes.find('\xFF');
    write_file(host / "logs" / "qtoss.log", bytes.substr(0, split));
    if (split != std::string::npos) write_file(host / "ketrav.ini", bytes.substr(split + 1));
    ketrav::services::locate_command_tail("ketrav Fuzz");
    int exit_code = ketrav::report::run_report();
    if (exit_code != 0 && (exit_code != 1 || split == std::string::npos)) std::abort();
    if (std::filesystem::exists(host / "KetRAV.Rpt") != (exit_code == 0)) std::abort();
    if (std::filesystem::exists(host / "KetRAV1.txt") || std::filesystem::exists(host / "KetRAV2.txt")) std::abort();
    std::filesystem::current_path(earlier);
    return 0;
}
