// The whole run in process, on scratch host directories: configuration,
// both passes with the sorting step between them, and the clean-up.
#include "report/run_report.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_io.h"
#include "services/date_and_command_tail.h"
#include "test_support.h"

using ketrav::testing::exists;
using ketrav::testing::read_bytes;
using ketrav::testing::write_bytes;

namespace {

const std::string crlf = "\r\n";

std::string import_line(const std::string& stamp, const std::string& tag) {
    return "  " + stamp + "  Import #1 from 2:5020/1 to " + tag + crlf;
}

class RunReport : public ::testing::Test {
   protected:
    void SetUp() override {
        std::filesystem::create_directory("logs");
        ketrav::services::locate_command_tail("ketrav T");
    }
    ketrav::testing::ScratchDirectory scratch;
};

// The report from its period line to the end, leaving out the dated header.
std::string after_header(const std::string& report) {
    std::size_t from = report.find("From ");
    return from == std::string::npos ? std::string() : report.substr(from);
}

std::string body(const std::string& period, const std::string& areas, const std::string& total) {
    return period + crlf + crlf + std::string(40, ' ') + "T" + crlf + crlf + std::string(79, '_') + crlf + crlf +
           areas + crlf + std::string(79, '_') + crlf + crlf + "    Total Messages = " + total + crlf + crlf;
}

TEST_F(RunReport, WholeRunFromTheDefaultLog) {
    write_bytes("logs/qtoss.log", "  261130 08:00:00 start" + crlf + import_line("261201 10:00:00", "B") +
                                      import_line("261202 11:00:00", "A") + import_line("261203 12:00:00", "B") +
                                      "  261204 13:00:00 end" + crlf);
    EXPECT_EQ(ketrav::report::run_report(), 0);
    EXPECT_EQ(after_header(read_bytes("KetRAV.Rpt")), body("From 261201 to 261204",
                                                           "A " + std::string(36, '.') + " :       1  33.3%" + crlf +
                                                               "B " + std::string(36, '.') + " :       2  66.6%" + crlf,
                                                           "      3"));
    EXPECT_FALSE(exists("KetRAV1.txt"));
    EXPECT_FALSE(exists("KetRAV2.txt"));
}

TEST_F(RunReport, ConfigurationNamesAnotherLogOnlyWhenItExists) {
    write_bytes("logs/qtoss.log", import_line("261201 10:00:00", "DEFAULT"));
    write_bytes("other.log", import_line("261205 10:00:00", "OTHER") + import_line("261206 10:00:00", "OTHER"));
    write_bytes("ketrav.ini", "other.log" + crlf + "logs/qtoss.log" + crlf);
    EXPECT_EQ(ketrav::report::run_report(), 0);
    EXPECT_NE(read_bytes("KetRAV.Rpt").find("OTHER " + std::string(32, '.') + " :       2 100.0%"), std::string::npos);

    // LF alone: the whole file is one line naming no file; the default log.
    write_bytes("ketrav.ini", "other.log\nlogs/qtoss.log\n");
    EXPECT_EQ(ketrav::report::run_report(), 0);
    EXPECT_NE(read_bytes("KetRAV.Rpt").find("DEFAULT " + std::string(30, '.') + " :       1 100.0%"),
              std::string::npos);
}

// A file held open by another program: the run still ends and cleans up,
// but exits with 1, as the report on disk is then not a whole account of
// the log (the old one, or one whose areas do not add up to its total).
TEST_F(RunReport, AFileHeldElsewhereEndsWithOne) {
    const std::string whole_body =
        body("From 261201 to 261201", "A " + std::string(36, '.') + " :       1 100.0%" + crlf, "      1");
    struct Case {
        const char* held;
        std::string report_body;
    };
    for (const Case& c : {Case{"KetRAV.Rpt", ""}, Case{"ketrav.ini", whole_body},
                          Case{"logs/qtoss.log", body("From  to ", "", "      0")},
                          Case{"KetRAV1.txt", body("From 261201 to 261201", "", "      1")},
                          Case{"KetRAV2.txt", body("From 261201 to 261201", "", "      1")}}) {
        ketrav::testing::ScratchDirectory inner;
        std::filesystem::create_directory("logs");
        write_bytes("logs/qtoss.log", import_line("261201 10:00:00", "A"));
        write_bytes("ketrav.ini", "logs/qtoss.log" + crlf);
        write_bytes("KetRAV.Rpt", "old");
        if (!exists(c.held)) write_bytes(c.held, "");
        ketrav::platform::OsHandle held;
        ASSERT_TRUE(ketrav::platform::open_file(c.held, ketrav::platform::FileAccess::read, held).ok) << c.held;
        EXPECT_EQ(ketrav::report::run_report(), 1) << c.held;
        ketrav::platform::close_handle(held);
        std::string report = read_bytes("KetRAV.Rpt");
        EXPECT_EQ(c.report_body.empty() ? report : after_header(report), c.report_body.empty() ? "old" : c.report_body)
            << c.held;
        for (const char* temporary : {"KetRAV1.txt", "KetRAV2.txt"}) {
            EXPECT_TRUE(temporary == std::string(c.held) || !exists(temporary)) << c.held << ": " << temporary;
        }
    }
}

// A host that has not tossed yet is no failure: a missing log, or a
// ketrav.ini naming one, gives the empty report and 0.
TEST_F(RunReport, MissingLogGivesAnEmptyReport) {
    EXPECT_EQ(ketrav::report::run_report(), 0);
    EXPECT_EQ(after_header(read_bytes("KetRAV.Rpt")), body("From  to ", "", "      0"));
    write_bytes("ketrav.ini", "other/missing.log" + crlf);
    EXPECT_EQ(ketrav::report::run_report(), 0);
    EXPECT_EQ(after_header(read_bytes("KetRAV.Rpt")), body("From  to ", "", "      0"));
}

}  // namespace
