// Any sorted records with any total (the first four bytes, 0 included): the
// second pass writes a report that ends with the total line and never
// crashes, whatever the division by the total gives.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "fuzz_directory.h"
#include "report/traffic_report.h"
#include "services/date_and_command_tail.h"
#include "services/text_files.h"

using namespace ketrav;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto directory = ketrav_fuzz_directory();
    static const std::string records = (directory / "ketrav-fuzz-sorted.txt").string();
    static const std::string report = (directory / "ketrav-fuzz-report.txt").string();
    std::int32_t total = 0;
    if (size >= 4) {
        std::memcpy(&total, data, 4);
        data += 4;
        size -= 4;
    }
    {
        std::ofstream out(records, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    services::locate_command_tail("ketrav Fuzz");
    report::RunValues run;
    run.banner = report::banner_text;
    run.total = total;
    services::open_for_reading(records, report::reading_slot);
    services::open_for_writing(report, report::writing_slot);
    report::write_traffic_report(run);
    services::close_all();
    std::ifstream in(report, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    std::string written = all.str();
    if (written.size() < 30 || written.compare(written.size() - 4, 4, "\r\n\r\n") != 0) std::abort();
    if (written.find("    Total Messages = ") == std::string::npos) std::abort();
    return 0;
}
