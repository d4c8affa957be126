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

// A file held open by another program, a stale temporary file that cannot
// be removed, a configured log the system cannot look at: the run ends with
// 1 and leaves the old report exactly as it was, and nothing of its own.
TEST_F(RunReport, ARunThatCannotBeWholeLeavesTheOldReport) {
    struct Case {
        const char* what;
        const char* held;           // held open by another program
        const char* read_only;      // a stale file, read-only, that cannot go
        std::string configuration;  // ketrav.ini's first line
    };
    for (const Case& c : {Case{"report held", "KetRAV.Rpt", "", "logs/qtoss.log"},
                          Case{"ketrav.ini held", "ketrav.ini", "", "logs/qtoss.log"},
                          Case{"log held", "logs/qtoss.log", "", "logs/qtoss.log"},
                          Case{"records held", "KetRAV1.txt", "", "logs/qtoss.log"},
                          Case{"sorted records held", "KetRAV2.txt", "", "logs/qtoss.log"},
                          Case{"stale sorted records", "", "KetRAV2.txt", "logs/qtoss.log"},
                          Case{"stale new report", "", "KetRAV3.txt", "logs/qtoss.log"},
                          Case{"report read-only", "", "KetRAV.Rpt", "logs/qtoss.log"},
                          Case{"log behind a loop of links", "", "", "loop/qtoss.log"}}) {
#ifdef _WIN32
        if (c.configuration == "loop/qtoss.log") continue;  // no links to make a loop of
#endif
        ketrav::testing::ScratchDirectory inner;
        std::filesystem::create_directory("logs");
        write_bytes("logs/qtoss.log", import_line("261201 10:00:00", "A"));
        write_bytes("ketrav.ini", c.configuration + crlf);
#ifndef _WIN32
        std::filesystem::create_directory_symlink("loop", "loop");
#endif
        write_bytes("KetRAV.Rpt", "old");
        ketrav::platform::OsHandle held;
        if (*c.held) {
            if (!exists(c.held)) write_bytes(c.held, "");
            ASSERT_TRUE(ketrav::platform::open_file(c.held, ketrav::platform::FileAccess::read, held).ok) << c.what;
        }
        if (*c.read_only) {
            if (!exists(c.read_only)) write_bytes(c.read_only, "A" + std::string(36, ' ') + "261201 10:00:00" + crlf);
            ketrav::testing::make_read_only(c.read_only, true);
        }
        EXPECT_EQ(ketrav::report::run_report(), 1) << c.what;
        if (*c.held) ketrav::platform::close_handle(held);
        if (*c.read_only) ketrav::testing::make_read_only(c.read_only, false);
        EXPECT_EQ(read_bytes("KetRAV.Rpt"), "old") << c.what;
        for (const char* temporary : {"KetRAV1.txt", "KetRAV2.txt", "KetRAV3.txt", "KetRAV.lck"}) {
            bool planted = temporary == std::string(c.held) || temporary == std::string(c.read_only);
            EXPECT_TRUE(planted || !exists(temporary)) << c.what << ": " << temporary;
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
