// The first pass: import lines to area records, the total and the period.
#include "report/log_scan.h"

#include <gtest/gtest.h>

#include <random>

#include "report/run_values.h"
#include "services/run_time_errors.h"
#include "services/text_files.h"
#include "test_support.h"

using namespace ketrav::report;
using namespace ketrav::services;
using ketrav::testing::read_bytes;
using ketrav::testing::write_bytes;

namespace {

struct Scan {
    RunValues run;
    std::string records;
};

Scan scan(const std::string& log) {
    write_bytes("log.txt", log);
    Scan result;
    open_for_reading("log.txt", reading_slot);
    open_for_writing("KetRAV1.txt", writing_slot);
    scan_log(result.run);
    close_all();
    result.records = read_bytes("KetRAV1.txt");
    return result;
}

const std::string stamp = "261206 10:00:01";  // 15 characters

std::string import_line(const std::string& middle, const std::string& tag) {
    return "  " + stamp + "  Import #1" + middle + " to " + tag + "\r\n";
}

class LogScan : public ::testing::Test {
   protected:
    ketrav::testing::ScratchDirectory scratch;
};

TEST_F(LogScan, RecordsTotalAndPeriod) {
    Scan s = scan("  261201 09:00:00 start\r\n" + import_line(" from 2:5020/1", "FIDOTEST01") +
                  "  261203 09:00:00 Import #2 to IGNORED\r\n" + "  261204 09:00:00  import #3 to IGNORED\r\n" +
                  "  261205 09:00:00  Import #4 from x to AREA.TWO\r\n" + "  261209 23:59:59 end\r\n");
    EXPECT_EQ(s.records, "FIDOTEST01" + std::string(27, ' ') + stamp + "\r\n" + "AREA.TWO" + std::string(29, ' ') +
                             "261205 09:00:00\r\n");
    EXPECT_EQ(s.run.total, 2);
    EXPECT_EQ(s.run.first_date, "261206");
    EXPECT_EQ(s.run.last_date, "261209");
}

TEST_F(LogScan, NoImportsAndNoLines) {
    Scan s = scan("  261201 nothing\r\n  261202 more\r\n");
    EXPECT_EQ(s.records, "");
    EXPECT_EQ(s.run.total, 0);
    EXPECT_EQ(s.run.first_date, "");
    EXPECT_EQ(s.run.last_date, "261202");
    Scan empty = scan("");
    EXPECT_EQ(empty.run.last_date, "");
    EXPECT_EQ(empty.run.first_date, "");
}

TEST_F(LogScan, TagEdgeCases) {
    // No " to ": the tag is the line from position 4 on.
    Scan s = scan("  " + stamp + "  Import #9\r\n");
    EXPECT_EQ(s.records, stamp.substr(1) + "  Import #9" + std::string(37 - 25, ' ') + stamp + "\r\n");
    EXPECT_EQ(s.run.total, 1);

    // The tag is taken after the first " to ", unchanged and untrimmed.
    s = scan(import_line("", "A to B "));
    EXPECT_EQ(s.records, "A to B " + std::string(30, ' ') + stamp + "\r\n");

    record_error(1);
    std::string tag36(36, 'x'), tag37(37, 'y'), tag38(38, 'z');
    s = scan(import_line("", tag36));
    EXPECT_EQ(s.records, tag36 + " " + stamp + "\r\n");
    s = scan(import_line("", tag37));
    EXPECT_EQ(s.records, tag37 + stamp + "\r\n");
    EXPECT_EQ(last_error(), 1);
    s = scan(import_line("", tag38));
    EXPECT_EQ(s.records, tag38 + stamp + "\r\n");
    EXPECT_EQ(last_error(), run_time_code::out_of_memory);
}

TEST_F(LogScan, ShortLines) {
    // Shorter than 17: a shorter stamp. Shorter than 3: none at all.
    Scan s = scan("ab  Import # to T\r\n");
    EXPECT_EQ(s.records, "T" + std::string(36, ' ') + "  Import # to T\r\n");
    EXPECT_EQ(s.run.first_date, "  Impo");
    s = scan(import_line("", "X") + "z\r\n");
    EXPECT_EQ(s.run.last_date, "");
}

TEST_F(LogScan, LineFeedsAndEndOfFileMark) {
    // LF alone does not end a line: the whole log is one line.
    Scan s = scan("  " + stamp + "  Import #1 to A\n  " + stamp + "  Import #2 to B\n");
    EXPECT_EQ(s.run.total, 1);
    EXPECT_EQ(s.records, "A\n  " + stamp + "  Import #2 to B\n" + std::string(37 - 36, ' ') + stamp + "\r\n");
    s = scan(import_line("", "KEPT") + "\x1A" + import_line("", "LOST"));
    EXPECT_EQ(s.run.total, 1);
    EXPECT_EQ(s.records, "KEPT" + std::string(33, ' ') + stamp + "\r\n");
}

TEST_F(LogScan, GeneratedLogGivesOneRecordPerImport) {
    std::mt19937 random(2026);
    const char* areas[] = {"FIDOTEST", "RU.ANIME", "SU.GENERAL", "NET5020.LOCAL", "Z2.ADMIN", "fidotest"};
    std::string log, expected;
    int imports = 0;
    for (int i = 0; i < 5000; ++i) {
        std::string day = std::to_string(261201 + static_cast<int>(random() % 28));
        std::string line_stamp =
            day + " 12:" + std::to_string(10 + random() % 50) + ":" + std::to_string(10 + random() % 50);
        if (random() % 3 == 0) {
            log += "  " + line_stamp + " Scanning inbound\r\n";
            continue;
        }
        std::string tag = areas[random() % 6];
        log += "  " + line_stamp + "  Import #" + std::to_string(i) + " from 2:5020/" + std::to_string(random() % 999) +
               " to " + tag + "\r\n";
        expected += tag + std::string(37 - tag.size(), ' ') + line_stamp + "\r\n";
        ++imports;
    }
    Scan s = scan(log);
    EXPECT_EQ(s.records, expected);
    EXPECT_EQ(s.run.total, imports);
    std::size_t lines = 0;
    for (std::size_t at = s.records.find("\r\n"); at != std::string::npos; at = s.records.find("\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines, static_cast<std::size_t>(s.run.total));
}

}  // namespace
