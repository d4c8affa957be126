// Any bytes as a log: the first pass writes exactly one record per import
// line it counts, and never crashes.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "fuzz_directory.h"
#include "report/log_scan.h"
#include "services/text_files.h"

using namespace ketrav;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto directory = ketrav_fuzz_directory();
    static const std::string log = (directory / "ketrav-fuzz.log").string();
    static const std::string records = (directory / "ketrav-fuzz-records.txt").string();
    {
        std::ofstream out(log, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    report::RunValues run;
    services::open_for_reading(log, report::reading_slot);
    services::open_for_writing(records, report::writing_slot);
    report::scan_log(run);
    services::close_all();
    std::ifstream in(records, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    std::string written = all.str();
    // Records may hold LF and CR-free bytes only; each ends with CR LF.
    std::size_t ends = 0;
    for (std::size_t at = written.find("\r\n"); at != std::string::npos; at = written.find("\r\n", at + 2)) ++ends;
    if (written.find('\r') != std::string::npos && ends == 0) std::abort();
    if (static_cast<std::size_t>(run.total) != ends) std::abort();
    if (run.last_date.size() > 6 || run.first_date.size() > 6) std::abort();
    return 0;
}
