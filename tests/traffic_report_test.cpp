// The second pass in process: sorted records in, the whole report out,
// compared byte for byte.
#include "report/traffic_report.h"

#include <gtest/gtest.h>

#include "ketrav_version.h"
#include "services/date_and_command_tail.h"
#include "services/text_files.h"
#include "test_support.h"

using namespace ketrav::report;
using ketrav::testing::read_bytes;
using ketrav::testing::write_bytes;

namespace {

const std::string crlf = "\r\n";
const std::string rule(79, '_');

struct Written {
    std::string report;
    std::string stamp_before;
    std::string stamp_after;
};

// Writes the report for `records` (already sorted) with the given total and
// period, and "My BBS" as the title.
Written write_report(const std::string& records, std::int32_t total, const std::string& first,
                     const std::string& last) {
    ketrav::testing::ScratchDirectory scratch;
    write_bytes("KetRAV2.txt", records);
    ketrav::services::locate_command_tail("ketrav My BBS");
    RunValues run;
    run.banner = banner_text;
    run.total = total;
    run.first_date = first;
    run.last_date = last;
    Written written;
    written.stamp_before = ketrav::testing::today_stamp();
    ketrav::services::open_for_reading("KetRAV2.txt", reading_slot);
    ketrav::services::open_for_writing("KetRAV.Rpt", writing_slot);
    write_traffic_report(run);
    ketrav::services::close_all();
    written.stamp_after = ketrav::testing::today_stamp();
    written.report = read_bytes("KetRAV.Rpt");
    return written;
}

std::string expected(const std::string& stamp, const std::string& period, const std::string& areas,
                     const std::string& total) {
    return crlf + " KetRAV v" KETRAV_REPORT_VERSION "      Quelin Inbound Echomail Traffic Report           " + stamp + crlf +
           crlf + std::string(29, ' ') + period + crlf + crlf + std::string(37, ' ') + "My BBS" + crlf + crlf + rule +
           crlf + crlf + areas + crlf + rule + crlf + crlf + "    Total Messages = " + total + crlf + crlf;
}

void expect_report(const Written& written, const std::string& period, const std::string& areas,
                   const std::string& total) {
    std::string wanted = expected(written.stamp_before, period, areas, total);
    if (written.report != wanted) wanted = expected(written.stamp_after, period, areas, total);
    EXPECT_EQ(written.report, wanted);
}

std::string record(const std::string& tag) {
    return tag + std::string(37 - std::min<std::size_t>(37, tag.size()), ' ') + "261201 10:00:00" + crlf;
}

TEST(TrafficReport, GroupsAreasAndCutsShares) {
    // Three areas, a blank tag counted but not listed, and one more record
    // in the total than the sorted file holds.
    Written written =
        write_report(record("") + record("A") + record("A") + record("B") + record("C") + record("C") + record("C"), 8,
                     "261201", "261206");
    expect_report(written, "From 261201 to 261206",
                  "A " + std::string(36, '.') + " :       2  25.0%" + crlf + "B " + std::string(36, '.') +
                      " :       1  12.5%" + crlf + "C " + std::string(36, '.') + " :       3  37.5%" + crlf,
                  "      8");
}

TEST(TrafficReport, LongTagsAreCutToTheirKeyAndTinyAreasShowNoShare) {
    std::string long_tag(40, 'L');
    std::string records = record(long_tag) + record(long_tag.substr(0, 36) + "X");
    for (int i = 0; i < 1999; ++i) records += record("M");
    Written written = write_report(records, 2001, "261201", "261202");
    expect_report(
        written, "From 261201 to 261202",
        std::string(36, 'L') + " . :       2" + crlf + "M " + std::string(36, '.') + " :   1,999  99.9%" + crlf,
        "  2,001");
}

TEST(TrafficReport, NoRecordsStillWritesHeaderRulesAndTotal) {
    Written written = write_report("", 0, "", "");
    expect_report(written, "From  to ", "", "      0");
}

}  // namespace
