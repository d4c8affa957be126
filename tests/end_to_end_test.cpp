// The built program, run in scratch host directories; whole reports
// compared byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif
#include <atomic>
#include <chrono>
#include <limits>
#include <map>
#include <random>
#include <thread>

#include "ketrav_version.h"
#include "platform/directory_claim.h"
#include "platform/file_io.h"
#include "platform/floating_point.h"
#include "test_support.h"

using ketrav::testing::exists;
using ketrav::testing::read_bytes;
using ketrav::testing::write_bytes;

namespace {

const std::string crlf = "\r\n";
const std::string rule(79, '_');

struct KetravRun {
    long exit_code = -1;
    std::string report;
    std::string stamp_before;
    std::string stamp_after;
};

// Runs ketrav with `title` as its command tail in the current directory.
KetravRun run_ketrav(const std::string& title) {
    KetravRun run;
    run.stamp_before = ketrav::testing::today_stamp();
    std::string line = ketrav::testing::command_word(ketrav::testing::program_path("ketrav"));
    if (!title.empty()) line += " " + title;
    run.exit_code = ketrav::testing::run_and_wait(line);
    run.stamp_after = ketrav::testing::today_stamp();
    run.report = read_bytes("KetRAV.Rpt");
    return run;
}

std::string header(const std::string& stamp, const std::string& first, const std::string& last,
                   const std::string& title_line) {
    return crlf + " KetRAV v" KETRAV_REPORT_VERSION "      Quelin Inbound Echomail Traffic Report           " + stamp +
           crlf + crlf + std::string(29, ' ') + "From " + first + " to " + last + crlf + crlf + title_line + crlf +
           crlf + rule + crlf + crlf;
}

std::string footer(const std::string& total_field) {
    return crlf + rule + crlf + crlf + "    Total Messages = " + total_field + crlf + crlf;
}

// The report is right for the date either before or after the run.
void expect_report(const KetravRun& run, const std::string& first, const std::string& last,
                   const std::string& title_line, const std::string& areas, const std::string& total_field,
                   long exit_code = 0) {
    EXPECT_EQ(run.exit_code, exit_code);
    std::string body = areas + footer(total_field);
    std::string expected = header(run.stamp_before, first, last, title_line) + body;
    if (run.report != expected) expected = header(run.stamp_after, first, last, title_line) + body;
    EXPECT_EQ(run.report, expected);
    EXPECT_FALSE(exists("KetRAV1.txt"));
    EXPECT_FALSE(exists("KetRAV2.txt"));
}

#ifndef _WIN32
// Runs `reader`, shell commands that read KetRAV.Rpt, a FIFO, on
// descriptor 3, in the background; then `run` (the program, $k), then
// `meanwhile`; and gives the run's std::system status. However slowly
// either starts on a loaded machine, the run never meets a FIFO without a
// reader, and the reader never reads before the run has it open (it would
// read an end): the reader opens first (a descriptor of the shell's own,
// for reading and writing, lets its open return at once, and is closed
// again before the run starts), and reads once /proc shows that the run,
// or a child of its, holds the FIFO.
int run_with_fifo_reader(const std::string& reader, const std::string& run, const std::string& meanwhile = "") {
    const std::string script =
        "rm -f reader.ready run.opened; exec 5<>KetRAV.Rpt; here=$(pwd -P); "
        "timeout 20 sh -c 'exec 3<KetRAV.Rpt; : > reader.ready; "
        "until [ -e run.opened ]; do sleep 0.01; done; " +
        reader +
        "' 5<&- & "
        "i=0; while [ ! -e reader.ready ] && [ $i -lt 400 ]; do sleep 0.05; i=$((i+1)); done; exec 5<&-; " +
        run +
        " & k=$!; "
        "holds() { for p in $k $(cat /proc/$k/task/$k/children 2>/dev/null); do ls -l /proc/$p/fd 2>/dev/null; done | "
        "grep -q -F -- \"-> $here/KetRAV.Rpt\"; }; "
        "i=0; until holds || ! kill -0 $k 2>/dev/null || [ $i -ge 2000 ]; do sleep 0.01; i=$((i+1)); done; "
        ": > run.opened; " +
        meanwhile + " wait $k; s=$?; wait; rm -f reader.ready run.opened; exit $s";
    return std::system(script.c_str());
}
#endif

std::string import_line(const std::string& stamp, const std::string& tag) {
    return "  " + stamp + "  Import #1 from 2:5020/1 to " + tag + crlf;
}

std::string log_of(const std::vector<std::pair<std::string, std::string>>& stamps_and_tags) {
    std::string log;
    for (const auto& [stamp, tag] : stamps_and_tags) log += import_line(stamp, tag);
    return log;
}

class EndToEnd : public ::testing::Test {
   protected:
    void SetUp() override { std::filesystem::create_directory("logs"); }
    ketrav::testing::ScratchDirectory scratch;
};

TEST_F(EndToEnd, CompleteSmallRun) {
    write_bytes("logs/qtoss.log", "  261130 08:00:00 qtoss started" + crlf + import_line("261201 10:00:00", "B") +
                                      import_line("261202 11:00:00", "A") + "  261203 12:00:00 Scanning" + crlf +
                                      import_line("261204 13:00:00", "A") + "  261205 14:00:00 qtoss ended" + crlf);
    KetravRun run = run_ketrav("My BBS");
    expect_report(run, "261201", "261205", std::string(37, ' ') + "My BBS",
                  "A " + std::string(36, '.') + " :       2  66.6%" + crlf +  //
                      "B " + std::string(36, '.') + " :       1  33.3%" + crlf,
                  "      3");
    // Every area line is 55 characters, the total line 28.
    EXPECT_NE(run.report.find(crlf + "A " + std::string(36, '.') + " :       2  66.6%" + crlf), std::string::npos);
    EXPECT_NE(run.report.find(crlf + "    Total Messages =       3" + crlf), std::string::npos);
}

TEST_F(EndToEnd, AreaLinesWithCutShares) {
    std::vector<std::pair<std::string, std::string>> imports;
    for (int i = 0; i < 12; ++i) imports.push_back({"261201 10:00:00", "TENCHARTAG"});
    for (int i = 0; i < 28; ++i) imports.push_back({"261202 10:00:00", "OTHER.AREA"});
    write_bytes("logs/qtoss.log", log_of(imports));
    KetravRun run = run_ketrav("");
    expect_report(run, "261201", "261202", std::string(40, ' '),
                  "OTHER.AREA " + std::string(27, '.') + " :      28  70.0%" + crlf + "TENCHARTAG " +
                      std::string(27, '.') + " :      12  30.0%" + crlf,
                  "     40");

    // 125 imports: 64 give 51.1 and 1 gives 0.7, cut after rounding the
    // quotient; a thousandth or less gets no share at all.
    imports.clear();
    for (int i = 0; i < 64; ++i) imports.push_back({"261203 10:00:00", "BIG"});
    imports.push_back({"261204 10:00:00", "ONE"});
    for (int i = 0; i < 60; ++i) imports.push_back({"261205 10:00:00", "REST"});
    write_bytes("logs/qtoss.log", log_of(imports));
    run = run_ketrav("Net 5020");
    expect_report(run, "261203", "261205", std::string(36, ' ') + "Net 5020",
                  "BIG " + std::string(34, '.') + " :      64  51.1%" + crlf + "ONE " + std::string(34, '.') +
                      " :       1   0.7%" + crlf + "REST " + std::string(33, '.') + " :      60  48.0%" + crlf,
                  "    125");
}

TEST_F(EndToEnd, TinyAreasAndLargeCounts) {
    std::string log;
    for (int i = 0; i < 2000; ++i) log += import_line("261201 10:00:00", "HUGE");
    log += import_line("261202 10:00:00", "TINY");
    write_bytes("logs/qtoss.log", log);
    KetravRun run = run_ketrav("");
    expect_report(run, "261201", "261202", std::string(40, ' '),
                  "HUGE " + std::string(33, '.') + " :   2,000  99.9%" + crlf + "TINY " + std::string(33, '.') +
                      " :       1" + crlf,
                  "  2,001");
}

TEST_F(EndToEnd, NoImportsOrNoLog) {
    write_bytes("logs/qtoss.log", "  261201 10:00:00 nothing imported" + crlf + "  261202 10:00:00 done" + crlf);
    KetravRun run = run_ketrav("");
    expect_report(run, "", "261202", std::string(40, ' '), "", "      0");

    std::filesystem::remove("logs/qtoss.log");
    run = run_ketrav("");
    expect_report(run, "", "", std::string(40, ' '), "", "      0");
}

TEST_F(EndToEnd, BlankCaseAndLongTags) {
    std::string long_a = std::string(36, 'L') + "-first", long_b = std::string(36, 'L') + "-second";
    write_bytes("logs/qtoss.log", log_of({{"261201 10:00:00", ""},
                                          {"261201 10:00:01", "fidotest"},
                                          {"261201 10:00:02", "FIDOTEST"},
                                          {"261201 10:00:03", "   "},
                                          {"261201 10:00:04", long_a},
                                          {"261201 10:00:05", "fidotest"},
                                          {"261201 10:00:06", long_b}}));
    KetravRun run = run_ketrav("");
    // Blank tags count in the total but are never listed; letter case makes
    // two areas; tags alike in their first 36 characters make one.
    expect_report(run, "261201", "261201", std::string(40, ' '),
                  "FIDOTEST " + std::string(29, '.') + " :       1  14.2%" + crlf + std::string(36, 'L') +
                      " . :       2  28.5%" + crlf + "fidotest " + std::string(29, '.') + " :       2  28.5%" + crlf,
                  "      7");
}

TEST_F(EndToEnd, TitlesOfEveryLength) {
    write_bytes("logs/qtoss.log", "");
    auto words_of_length = [](std::size_t length) {
        std::string title;
        while (title.size() < length) title += title.size() % 6 == 5 ? ' ' : 'T';
        if (!title.empty() && title.back() == ' ') title.back() = 'E';
        return title;
    };
    struct Case {
        std::size_t length;
        std::size_t indent;
    };
    for (Case c : {Case{0, 40}, Case{6, 37}, Case{5, 38}, Case{7, 36}, Case{81, 0}, Case{82, 0}, Case{120, 0}}) {
        std::string title = words_of_length(c.length);
        KetravRun run = run_ketrav(title);
        expect_report(run, "", "", std::string(c.indent, ' ') + title, "", "      0");
    }
}

TEST_F(EndToEnd, Configuration) {
    write_bytes("logs/qtoss.log", import_line("261201 10:00:00", "DEFAULT"));
    std::filesystem::create_directory("other");
    write_bytes("other/my.log", import_line("261202 10:00:00", "CONFIGURED"));
    const std::string default_line = "DEFAULT " + std::string(30, '.') + " :       1 100.0%" + crlf;
    const std::string configured_line = "CONFIGURED " + std::string(27, '.') + " :       1 100.0%" + crlf;

    write_bytes("ketrav.ini", "other\\my.log" + crlf + "logs\\qtoss.log" + crlf);
    expect_report(run_ketrav(""), "261202", "261202", std::string(40, ' '), configured_line, "      1");

    write_bytes("ketrav.ini", "other/missing.log" + crlf);
    expect_report(run_ketrav(""), "261201", "261201", std::string(40, ' '), default_line, "      1");

    write_bytes("ketrav.ini", crlf + "other\\my.log" + crlf);
    expect_report(run_ketrav(""), "261201", "261201", std::string(40, ' '), default_line, "      1");

    write_bytes("ketrav.ini", "");
    expect_report(run_ketrav(""), "261201", "261201", std::string(40, ' '), default_line, "      1");

    // LF alone: the file is one line, which names nothing.
    write_bytes("ketrav.ini", "other\\my.log\nlogs\\qtoss.log\n");
    expect_report(run_ketrav(""), "261201", "261201", std::string(40, ' '), default_line, "      1");

    // A configured log with no lines: the last date stays empty.
    write_bytes("other/empty.log", "");
    write_bytes("ketrav.ini", "other\\empty.log" + crlf);
    expect_report(run_ketrav(""), "", "", std::string(40, ' '), "", "      0");

    // As Windows' own tools write it: with a UTF-8 byte-order mark, in
    // UTF-16 either way round, the name in double quotes. A quote inside
    // the name, or a space after the closing one, stays part of the name.
    auto utf16 = [](const std::string& text, bool big_endian) {
        std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
        for (char c : text) bytes += big_endian ? std::string{'\0', c} : std::string{c, '\0'};
        return bytes;
    };
    for (const std::string& written :
         {"\xEF\xBB\xBFother\\my.log" + crlf, utf16("other\\my.log" + crlf + "logs\\qtoss.log" + crlf, false),
          utf16("other\\my.log" + crlf, true), "\"other\\my.log\"" + crlf, "\xEF\xBB\xBF\"other\\my.log\"" + crlf,
          utf16("\"other\\my.log\"", false)}) {
        write_bytes("ketrav.ini", written);
        expect_report(run_ketrav(""), "261202", "261202", std::string(40, ' '), configured_line, "      1");
    }
    // A NUL names no file: not the one whose name stops there.
    for (const std::string& written :
         {"\"other\\my.log\" " + crlf, "\"other\\my.log" + crlf, "other\\my.log\"" + crlf,
          "\xEF\xBB\xBF\xEF\xBB\xBFother\\my.log" + crlf, std::string("other\\my.log\0.old", 17) + crlf}) {
        write_bytes("ketrav.ini", written);
        expect_report(run_ketrav(""), "261201", "261201", std::string(40, ' '), default_line, "      1");
    }
}

// "ketrav --help" and its kin answer and leave the directory as it was; any
// other tail, however like them, is a title.
TEST_F(EndToEnd, HelpAndVersionAnswerAndTouchNothing) {
    write_bytes("logs/qtoss.log", import_line("261201 10:00:00", "AREA"));
    write_bytes("KetRAV.Rpt", "the last good report");
    struct Case {
        std::string tail;
        bool answers;
    };
#ifdef _WIN32
    const bool slash_question_answers = true;
#else
    const bool slash_question_answers = false;
#endif
    for (const Case& c : {Case{"--help", true}, Case{"-h", true}, Case{"--version", true},
                          Case{"/?", slash_question_answers}, Case{"--helpme", false}, Case{"--HELP", false},
                          Case{"-H", false}, Case{"--help me", false}, Case{"--version 2", false}}) {
        write_bytes("KetRAV.Rpt", "the last good report");
        KetravRun run = run_ketrav(c.tail);
        EXPECT_EQ(run.exit_code, 0) << c.tail;
        if (c.answers) {
            EXPECT_EQ(run.report, "the last good report") << c.tail;
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()), 2)
                << c.tail;
        } else {
            EXPECT_NE(run.report.find("  " + c.tail + crlf), std::string::npos) << c.tail << ":\n" << run.report;
        }
    }
#ifndef _WIN32
    // What they print, on standard output.
    write_bytes("KetRAV.Rpt", "the last good report");
    std::string program = ketrav::testing::program_path("ketrav");
    ASSERT_EQ(std::system(("'" + program + "' --version > version.txt && '" + program + "' -h > usage.txt").c_str()),
              0);
    EXPECT_EQ(read_bytes("version.txt"), "KetRAV " KETRAV_VERSION " (its reports say v" KETRAV_REPORT_VERSION ")\n");
    std::string usage = read_bytes("usage.txt");
    for (const char* part : {"Usage: ketrav [TITLE...]", "KetRAV.Rpt", "Exit codes: 0", "man ketrav"})
        EXPECT_NE(usage.find(part), std::string::npos) << part;
    EXPECT_EQ(read_bytes("KetRAV.Rpt"), "the last good report");
    // Into a pipe whose reader has left: 1, not a death by SIGPIPE.
    for (const char* tail : {"--help", "--version"}) {
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        close(ends[0]);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            dup2(ends[1], 1);
            execl(program.c_str(), program.c_str(), tail, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(ends[1]);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << tail << ": " << status;
    }
#endif
}

TEST_F(EndToEnd, LineFeedLogIsOneLine) {
    write_bytes("logs/qtoss.log", "  261201 10:00:00  Import #1 to A\n  261202 10:00:00  Import #2 to B\n");
    KetravRun run = run_ketrav("");
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_NE(run.report.find("    Total Messages =       1" + crlf), std::string::npos);
    EXPECT_NE(run.report.find("From 261201 to 261201" + crlf), std::string::npos);
}

TEST_F(EndToEnd, ReplacesReportAndLeftovers) {
    write_bytes("logs/qtoss.log", import_line("261201 10:00:00", "AREA"));
    write_bytes("KetRAV.Rpt", std::string(5000, 'x'));
    write_bytes("KetRAV1.txt", "STALE ONE" + crlf);
    write_bytes("KetRAV2.txt", "STALE TWO" + crlf + "STALE TWO" + crlf);
    const std::string area_line = "AREA " + std::string(33, '.') + " :       1 100.0%" + crlf;
    KetravRun first = run_ketrav("");
    expect_report(first, "261201", "261201", std::string(40, ' '), area_line, "      1");
    KetravRun second = run_ketrav("");
    expect_report(second, "261201", "261201", std::string(40, ' '), area_line, "      1");

    // A reader looking for the report while runs replace it always finds
    // one: the old or the new, never none.
    std::atomic<bool> running{true};
    std::atomic<long> looks{0}, absent{0};
    std::thread reader([&] {
        while (running) {
            ++looks;
            if (!std::filesystem::exists("KetRAV.Rpt")) ++absent;
        }
    });
    for (int run = 0; run < 10; ++run) EXPECT_EQ(run_ketrav("").exit_code, 0) << run;
    running = false;
    reader.join();
    EXPECT_EQ(absent.load(), 0) << "of " << looks.load() << " looks";
    EXPECT_GT(looks.load(), 0);
}

// A report that another program holds open, or that is read-only, is left
// as it is, and the run tells with 1 that it stands stale.
TEST_F(EndToEnd, ReportHeldOpenOrReadOnlyStaysAndEndsWithOne) {
    write_bytes("logs/qtoss.log", import_line("261201 10:00:00", "AREA"));
    write_bytes("KetRAV.Rpt", "held");
    ketrav::platform::OsHandle holder;
    ASSERT_TRUE(ketrav::platform::open_file("KetRAV.Rpt", ketrav::platform::FileAccess::read, holder).ok);
    KetravRun run = run_ketrav("");
    ketrav::platform::close_handle(holder);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(read_bytes("KetRAV.Rpt"), "held");
    EXPECT_FALSE(exists("KetRAV1.txt"));
    EXPECT_FALSE(exists("KetRAV2.txt"));
    EXPECT_FALSE(exists("KetRAV3.txt"));  // the new report that could not take its place

#ifdef _WIN32
    // A viewer or a poster that holds it a moment, sharing reading and
    // writing as most do, is waited out on Windows (5 seconds at most):
    // the run ends with its new report.
    std::thread viewer([] { ketrav::testing::hold_as_a_reader("KetRAV.Rpt", 2000); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    run = run_ketrav("");
    viewer.join();
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_NE(run.report.find("AREA "), std::string::npos);

    // A viewer that shares everything, polling the report while runs
    // replace it: the runs' look at the report refuses none of its opens.
    std::atomic<bool> stop{false};
    int refused = 0, opened = 0;
    std::thread poller([&] { ketrav::testing::poll_as_a_viewer("KetRAV.Rpt", stop, refused, opened); });
    for (int round = 0; round < 5; ++round) EXPECT_EQ(run_ketrav("").exit_code, 0) << round;
    stop = true;
    poller.join();
    EXPECT_EQ(refused, 0);
    EXPECT_GT(opened, 0);

    // A reader that comes back at once, in bursts of 50 to 500 ms with
    // gaps of 0 to 20 ms, is caught in its gaps: every run ends with its
    // new report within its one wait.
    stop = false;
    std::thread returning([&] { ketrav::testing::reopen_as_a_reader("KetRAV.Rpt", stop, 1); });
    for (int round = 0; round < 5; ++round) EXPECT_EQ(run_ketrav("").exit_code, 0) << round;
    stop = true;
    returning.join();
    write_bytes("KetRAV.Rpt", "held");
#endif

    std::filesystem::permissions("KetRAV.Rpt", std::filesystem::perms::owner_read);
    run = run_ketrav("");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(read_bytes("KetRAV.Rpt"), "held");
    EXPECT_FALSE(exists("KetRAV3.txt"));
    std::filesystem::permissions("KetRAV.Rpt",
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

// A log held by the tosser cannot be read: the run says so with 1, and the
// last good report stays as it was.
TEST_F(EndToEnd, LogHeldOpenElsewhereLeavesTheOldReport) {
    write_bytes("logs/qtoss.log", import_line("261201 10:00:00", "AREA"));
    write_bytes("KetRAV.Rpt", "the last good report");
    ketrav::platform::OsHandle holder;
    ASSERT_TRUE(ketrav::platform::open_file("logs/qtoss.log", ketrav::platform::FileAccess::read, holder).ok);
    KetravRun run = run_ketrav("");
    ketrav::platform::close_handle(holder);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.report, "the last good report");
    EXPECT_FALSE(exists("KetRAV1.txt"));
    EXPECT_FALSE(exists("KetRAV2.txt"));
}

// A second run started while one is under way in the same directory never
// touches the first's files or report: it ends at once with 1.
TEST_F(EndToEnd, ASecondRunTouchesNothingOfTheFirst) {
    write_bytes("logs/qtoss.log", import_line("261201 10:00:00", "AREA"));
    write_bytes("KetRAV.Rpt", "old");
    write_bytes("KetRAV1.txt", "the first run's records");
    ketrav::platform::OsHandle first_run;
    ASSERT_TRUE(ketrav::platform::claim_current_directory("KetRAV.lck", first_run).ok);
    KetravRun second = run_ketrav("");
    EXPECT_EQ(second.exit_code, 1);
    EXPECT_EQ(read_bytes("KetRAV.Rpt"), "old");
    EXPECT_EQ(read_bytes("KetRAV1.txt"), "the first run's records");
    EXPECT_FALSE(exists("KetRAV2.txt"));
    ketrav::platform::close_handle(first_run);
    expect_report(run_ketrav(""), "261201", "261201", std::string(40, ' '),
                  "AREA " + std::string(33, '.') + " :       1 100.0%" + crlf, "      1");
}

// The model's own number pictures: a count right-aligned in 7 columns with
// thousands separators; a share as tenths, cut, right-aligned in 5.
std::string model_count(int count) {
    std::string plain = std::to_string(count), digits;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        if (i > 0 && (plain.size() - i) % 3 == 0) digits.push_back(',');
        digits.push_back(plain[i]);
    }
    std::string field(digits.size() < 7 ? 7 - digits.size() : 0, ' ');
    field.append(digits);
    return field;
}

// The share as the report defines it: the quotient, then times 1000, each
// rounded in the x87 format, cut down to a whole number of tenths. Empty
// when that is 0.
std::string model_share(int count, int total) {
    volatile long double quotient = static_cast<long double>(count) / static_cast<long double>(total);
    volatile long double scaled = quotient * 1000.0L;
    long long tenths = static_cast<long long>(std::floor(static_cast<long double>(scaled)));
    if (tenths <= 0) return "";
    std::string text = std::to_string(tenths / 10);
    text.push_back('.');
    text.push_back(static_cast<char>('0' + tenths % 10));
    std::string field(text.size() < 5 ? 5 - text.size() : 0, ' ');
    field.append(text);
    return field;
}

TEST_F(EndToEnd, RandomLogsAgainstASimpleModel) {
    if (std::numeric_limits<long double>::digits != 64) GTEST_SKIP() << "the model computes in the x87 format";
    // Round to nearest with a 64-bit significand, as the program runs.
    ketrav::platform::set_floating_point_control(ketrav::platform::x87_run_control_word);
    // Printable tags, some longer than 36 characters, some differing in case
    // only; the model groups them by their first 36 characters in byte order.
    std::mt19937 random(99);
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._-";
    for (int round = 0; round < 3; ++round) {
        std::vector<std::string> tags;
        for (int t = 0; t < 15; ++t) {
            std::size_t length = 1 + random() % (t % 4 == 0 ? 45 : 20);
            std::string tag;
            for (std::size_t i = 0; i < length; ++i) tag += letters[random() % letters.size()];
            tags.push_back(tag);
        }
        tags.push_back(tags[0] + "-TWIN");  // shares its first characters with another
        std::string log;
        std::map<std::string, int> model;
        int total = 0;
        std::string first;
        for (int line = 0; line < 700; ++line) {
            std::string stamp = "2612" + std::to_string(10 + line % 20) + " 10:00:00";
            if (random() % 4 == 0) {
                log += "  " + stamp + " Packet done" + crlf;
                continue;
            }
            const std::string& tag = tags[random() % tags.size()];
            log += import_line(stamp, tag);
            ++model[tag.substr(0, 36)];
            if (++total == 1) first = stamp.substr(0, 6);
        }
        write_bytes("logs/qtoss.log", log);
        std::string areas;
        for (const auto& [key, count] : model) {
            areas += key + " " + std::string(37 - key.size(), '.') + " : " + model_count(count);
            std::string share = model_share(count, total);
            if (!share.empty()) {
                areas.push_back(' ');
                areas.append(share);
                areas.push_back('%');
            }
            areas += crlf;
        }
        const std::string last = std::string("2612") + std::to_string(10 + 699 % 20);
        const std::string title = std::string("Round ") + std::to_string(round);
        expect_report(run_ketrav(title), first, last, std::string(36, ' ') + title, areas, model_count(total));
    }
}

TEST(EndToEndEmpty, EmptyDirectoryLeavesOnlyTheReport) {
    ketrav::testing::ScratchDirectory scratch;
    KetravRun run = run_ketrav("");
    EXPECT_EQ(run.exit_code, 0);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(scratch.path()))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"KetRAV.Rpt"});
    EXPECT_NE(run.report.find("    Total Messages =       0"), std::string::npos);
}

#ifndef _WIN32
// Where /proc is missing (a chroot, a container, a system without it), the
// program finds its stand-ins from argv[0], through a symlink too, and never
// starts a program from the current directory or a relative PATH entry.
TEST_F(EndToEnd, WithoutProcStandInsAreFoundAndTheCurrentDirectoryIsNeverSearched) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer needs /proc";
#endif
    namespace fs = std::filesystem;
    // An installed tree: bin/ketrav and libexec/ketrav/{cmd,sort}.
    fs::create_directories("tree/bin");
    fs::create_directories("tree/libexec/ketrav");
    std::string built = ketrav::testing::program_path("");
    fs::copy_file(built + "ketrav", "tree/bin/ketrav");
    fs::copy_file(built + "cmd", "tree/libexec/ketrav/cmd");
    fs::copy_file(built + "sort", "tree/libexec/ketrav/sort");
    fs::create_symlink(fs::absolute("tree/bin/ketrav"), "linked-ketrav");

    fs::create_directory("host");
    fs::create_directory("host/logs");
    write_bytes("host/logs/qtoss.log", import_line("261201 10:00:00", "B") + import_line("261202 11:00:00", "A") +
                                           import_line("261203 12:00:00", "B"));
    std::string planted = fs::absolute("planted-ran").string();
    for (const char* name : {"host/cmd", "host/sort", "host/logs/cmd"}) {
        write_bytes(name, "#!/bin/sh\ntouch '" + planted + "'\n");
        fs::permissions(name, fs::perms::owner_all);
    }
    std::string hide_proc = "unshare -m sh -c 'mount -t tmpfs none /proc && ";
    if (std::system((hide_proc + "test ! -e /proc/self/exe' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "cannot hide /proc here (needs root and unshare)";

    std::string root = fs::absolute(".").string();
    for (const std::string& program : {root + "/linked-ketrav", std::string("ketrav")}) {
        fs::remove("host/KetRAV.Rpt");
        std::string path = "PATH=.:./:logs:" + root + "/tree/bin:/usr/bin:/bin";
        std::string command = hide_proc + "cd " + root + "/host && " + path + " exec " + program + " T'";
        EXPECT_EQ(std::system(command.c_str()), 0) << program;
        std::string report = read_bytes("host/KetRAV.Rpt");
        EXPECT_NE(report.find(crlf + "A " + std::string(36, '.') + " :       1  33.3%" + crlf + "B " +
                              std::string(36, '.') + " :       2  66.6%" + crlf),
                  std::string::npos)
            << program << ":\n"
            << report;
        EXPECT_FALSE(exists(planted)) << program;
        EXPECT_FALSE(exists("host/KetRAV1.txt"));
        EXPECT_FALSE(exists("host/KetRAV2.txt"));
    }
}

// A scheduler may start the program with standard input, output or error
// closed; the sorting step's plumbing must still give each child the right
// descriptors.
TEST_F(EndToEnd, ClosedStandardDescriptorsStillSort) {
    write_bytes("logs/qtoss.log", import_line("261201 10:00:00", "B") + import_line("261202 11:00:00", "A") +
                                      import_line("261203 12:00:00", "B"));
    std::string areas = "A " + std::string(36, '.') + " :       1  33.3%" + crlf + "B " + std::string(36, '.') +
                        " :       2  66.6%" + crlf;
    std::string program = ketrav::testing::program_path("ketrav");
    for (const char* closing : {"<&-", ">&-", "2>&-", "<&- >&- 2>&-"}) {
        std::filesystem::remove("KetRAV.Rpt");
        std::string command = "sh -c 'exec \"$0\" T " + std::string(closing) + "' '" + program + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << closing;
        std::string report = read_bytes("KetRAV.Rpt");
        EXPECT_NE(report.find(areas), std::string::npos) << closing << ":\n" << report;
        EXPECT_FALSE(exists("KetRAV1.txt")) << closing;
        EXPECT_FALSE(exists("KetRAV2.txt")) << closing;
    }
}

// FIFOs where the temporary files go must not hold the run up: no process
// of the run waits for a writer or a reader that never comes, and the old
// report stays.
TEST_F(EndToEnd, FifosAsTemporaryFilesNeverHang) {
    std::string program = ketrav::testing::program_path("ketrav");
    for (const char* fifo : {"KetRAV1.txt", "KetRAV2.txt"}) {
        ketrav::testing::ScratchDirectory inner;
        std::filesystem::create_directory("logs");
        write_bytes("logs/qtoss.log", import_line("261201 10:00:00", "A") + import_line("261202 11:00:00", "A"));
        write_bytes("KetRAV.Rpt", "old");
        ASSERT_EQ(mkfifo(fifo, 0600), 0);
        std::string command = "timeout 60 '" + program + "' T";
        // No record comes back through a FIFO.
        int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << fifo << ": " << status;
        EXPECT_EQ(read_bytes("KetRAV.Rpt"), "old") << fifo;
    }
}

// A sort that ends before it has read its input (its temporary directory
// full, or killed for memory), or that fails after writing what it could,
// must not hold the run up, and its records are never taken for the log's:
// the run ends with 1 and the old report stays.
TEST_F(EndToEnd, AFailedSortNeverHoldsUpTheRunNorMakesAReport) {
    namespace fs = std::filesystem;
    fs::create_directory("bin");
    std::string built = ketrav::testing::program_path("");
    fs::copy_file(built + "ketrav", "bin/ketrav");
    fs::copy_file(built + "cmd", "bin/cmd");
    // Far more records than a pipe holds.
    std::string log;
    for (int i = 0; i < 5000; ++i) log += import_line("261201 10:00:00", "AREA" + std::to_string(i % 7));
    write_bytes("logs/qtoss.log", log);
    write_bytes("KetRAV.Rpt", "old");
    // A sort that stops at once; one that gives every record back and then
    // fails; then none beside cmd at all: the system's sort on PATH, which
    // orders by other rules, is never taken in its place.
    for (const std::string& sort :
         {std::string("#!/bin/sh\nexit 1\n"), "#!/bin/sh\n\"" + built + "sort\"\nexit 3\n", std::string()}) {
        if (!sort.empty()) {
            write_bytes("bin/sort", sort);
            fs::permissions("bin/sort", fs::perms::owner_all);
        } else {
            fs::remove("bin/sort");
        }
        std::string command = "PATH=/usr/bin:/bin timeout 60 '" + fs::absolute("bin/ketrav").string() + "' T";
        int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << sort << status;
        EXPECT_EQ(read_bytes("KetRAV.Rpt"), "old") << sort;
        EXPECT_FALSE(exists("KetRAV1.txt"));
        EXPECT_FALSE(exists("KetRAV2.txt"));
    }

    // A sort that loses records and ends with 0: a posting pipe gets
    // nothing at all, never a report whose areas miss their total.
    write_bytes("bin/sort", "#!/bin/sh\n\"" + built + "sort\" | head -n 3\n");
    fs::permissions("bin/sort", fs::perms::owner_all);
    fs::remove("KetRAV.Rpt");
    ASSERT_EQ(mkfifo("KetRAV.Rpt", 0600), 0);
    int status =
        run_with_fifo_reader("exec cat <&3 > posted", "timeout 60 '" + fs::absolute("bin/ketrav").string() + "' T");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(read_bytes("posted"), "");
}

// The exit status of a shell command run by std::system.
int exit_status_of(const std::string& command) {
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string many_areas_log() {
    std::string log;
    for (int i = 0; i < 60; ++i) log += import_line("261201 10:00:00", "AREA" + std::to_string(i));
    return log;
}

// Whatever stops a run midway (a file-size limit, a kill while the sort
// runs), the old report stays whole, no helper goes on writing, and the
// status says the run failed.
TEST_F(EndToEnd, AStoppedRunLeavesTheOldReportAndNoHelperBehind) {
    namespace fs = std::filesystem;
    write_bytes("logs/qtoss.log", many_areas_log());
    const std::string program = ketrav::testing::program_path("ketrav");

    // A file-size limit is a full disk: the run goes on and ends with 1.
    write_bytes("KetRAV.Rpt", "old");
    EXPECT_EQ(exit_status_of("sh -c 'ulimit -f 1; exec \"$0\" T' '" + program + "'"), 1);
    EXPECT_EQ(read_bytes("KetRAV.Rpt"), "old");
    EXPECT_FALSE(exists("KetRAV1.txt"));
    EXPECT_FALSE(exists("KetRAV3.txt"));

    // A sort that takes its time, killed with the run: SIGTERM ends the run
    // with 255, SIGKILL as it does; either way the sort ends too.
    fs::create_directory("bin");
    std::string built = ketrav::testing::program_path("");
    fs::copy_file(built + "ketrav", "bin/ketrav");
    fs::copy_file(built + "cmd", "bin/cmd");
    write_bytes("bin/sort", "#!/bin/sh\necho $$ > sort.pid\nexec sleep 60\n");
    fs::permissions("bin/sort", fs::perms::owner_all);
    for (const char* signal : {"TERM", "KILL"}) {
        fs::remove("sort.pid");
        std::string script =
            "umask 077; bin/ketrav T & run=$!; i=0; while [ ! -s sort.pid ] && [ $i -lt 300 ]; do sleep 0.1; "
            "i=$((i+1)); done; "
            "kill -" +
            std::string(signal) +
            " $run; wait $run; echo $? > run.status; "
            "i=0; while kill -0 $(cat sort.pid) 2>/dev/null && [ $i -lt 100 ]; do sleep 0.1; i=$((i+1)); done; "
            "if kill -0 $(cat sort.pid) 2>/dev/null; then echo alive; kill $(cat sort.pid); else echo ended; fi "
            "> sort.state";
        ASSERT_EQ(std::system(("sh -c '" + script + "'").c_str()), 0) << signal;
        EXPECT_EQ(read_bytes("run.status"), std::string(signal) == "TERM" ? "255\n" : "137\n") << signal;
        EXPECT_EQ(read_bytes("sort.state"), "ended\n") << signal;
        EXPECT_EQ(read_bytes("KetRAV.Rpt"), "old") << signal;
        // The lock file a killed run leaves, made under umask 077, is still
        // one the host's own user can open to take over (a root run's, say).
        struct stat lock {};
        ASSERT_EQ(stat("KetRAV.lck", &lock), 0) << signal;
        EXPECT_EQ(lock.st_mode & 0777, 0644u) << signal;
    }

    // A break, a hang-up and a quit sent to the run's whole process group
    // (a terminal's Ctrl-C, its closing) while the sort runs reach the
    // helpers too, which ignore them as the program does: 0, the new report.
    fs::copy_file(built + "sort", "bin/real-sort");
    write_bytes("bin/sort", "#!/bin/sh\necho $$ > sort.pid\nsleep 0.5\nexec \"$(dirname \"$0\")/real-sort\" \"$@\"\n");
    fs::remove("sort.pid");
    std::string group =
        "trap \"\" INT HUP QUIT; bin/ketrav T & run=$!; i=0; while [ ! -s sort.pid ] && [ $i -lt 300 ]; do "
        "sleep 0.1; i=$((i+1)); done; kill -INT 0; kill -HUP 0; kill -QUIT 0; wait $run; echo $? > run.status";
    ASSERT_EQ(std::system(("setsid -w sh -c '" + group + "'").c_str()), 0);
    EXPECT_EQ(read_bytes("run.status"), "0\n");
    EXPECT_NE(read_bytes("KetRAV.Rpt").find("AREA59 "), std::string::npos);

    // SIGTERM in the program's very first moments ends it with 255 too:
    // one sent before the program could take it (held blocked over the
    // exec here) is taken as soon as it can be, never a signal death and
    // never a run that goes on.
    write_bytes("KetRAV.Rpt", "old");
    for (int attempt = 0; attempt < 3; ++attempt) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            sigset_t term;
            sigemptyset(&term);
            sigaddset(&term, SIGTERM);
            sigprocmask(SIG_BLOCK, &term, nullptr);
            raise(SIGTERM);
            execl(program.c_str(), program.c_str(), "T", static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 255) << attempt << ": " << status;
        EXPECT_EQ(read_bytes("KetRAV.Rpt"), "old");
    }

    // A break, a hang-up and a quit are ignored from the first moment: here
    // while the answer to "--help" waits on a full pipe, before any run.
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_NONBLOCK), 0);
    const std::string filler(4096, 'x');
    while (write(ends[1], filler.data(), filler.size()) > 0) {
    }
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(ends[1], 1);
        fcntl(1, F_SETFL, 0);
        execl(program.c_str(), program.c_str(), "--help", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ends[1]);
    // Waiting on the pipe: the program's own, and asleep.
    const std::string proc = "/proc/" + std::to_string(child);
    for (int wait = 0; wait < 1000; ++wait) {
        std::error_code unknown;
        std::string state = read_bytes(proc + "/stat");
        std::size_t after_name = state.rfind(") ");
        if (fs::equivalent(fs::read_symlink(proc + "/exe", unknown), program, unknown) &&
            after_name != std::string::npos && state.compare(after_name + 2, 1, "S") == 0)
            break;
        usleep(10000);
    }
    for (int signal : {SIGINT, SIGHUP, SIGQUIT}) kill(child, signal);
    usleep(100000);
    char drained[65536];
    fcntl(ends[0], F_SETFL, 0);
    while (read(ends[0], drained, sizeof drained) > 0) {
    }
    close(ends[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// Files the program makes are its own to replace, whatever the umask.
TEST_F(EndToEnd, AnyUmaskLeavesTheReportReplaceable) {
    write_bytes("logs/qtoss.log", import_line("261201 10:00:00", "AREA"));
    const std::string program = ketrav::testing::program_path("ketrav");
    for (const char* mask : {"222", "777", "222"}) {
        EXPECT_EQ(exit_status_of("sh -c 'umask " + std::string(mask) + "; exec \"$0\" T' '" + program + "'"), 0)
            << mask;
        struct stat info {};
        ASSERT_EQ(stat("KetRAV.Rpt", &info), 0);
        EXPECT_EQ(info.st_mode & (S_IRUSR | S_IWUSR), static_cast<mode_t>(S_IRUSR | S_IWUSR)) << mask;
        EXPECT_NE(read_bytes("KetRAV.Rpt").find("AREA "), std::string::npos) << mask;
    }
}

// Links planted where the temporary files go are removed, not followed;
// the sysop's own link to a posting directory is followed, and stays a link.
TEST_F(EndToEnd, PlantedLinksAreNeverFollowedAndOwnReportLinksAre) {
    namespace fs = std::filesystem;
    write_bytes("logs/qtoss.log", import_line("261201 10:00:00", "AREA"));
    write_bytes("victim", "root's file");
    for (const char* name : {"KetRAV1.txt", "KetRAV2.txt", "KetRAV3.txt"}) fs::create_symlink("victim", name);
    fs::create_directory("posting");
    fs::create_symlink("posting/traffic.rpt", "KetRAV.Rpt");
    const std::string area_line = "AREA " + std::string(33, '.') + " :       1 100.0%" + crlf;
    KetravRun run = run_ketrav("");
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(read_bytes("victim"), "root's file");
    EXPECT_TRUE(fs::is_symlink("KetRAV.Rpt"));
    EXPECT_NE(read_bytes("posting/traffic.rpt").find(area_line), std::string::npos);
    for (const char* name : {"KetRAV1.txt", "KetRAV2.txt", "posting/KetRAV3.txt"})
        EXPECT_FALSE(fs::exists(fs::symlink_status(name))) << name;

    // A link behind the sysop's own is not followed: the run ends with 1,
    // and leaves nothing of its own behind.
    fs::create_symlink("../victim", "posting/hop.rpt");
    fs::remove("KetRAV.Rpt");
    fs::create_symlink("posting/hop.rpt", "KetRAV.Rpt");
    EXPECT_EQ(run_ketrav("").exit_code, 1);
    EXPECT_EQ(read_bytes("victim"), "root's file");
    for (const char* name : {"KetRAV1.txt", "KetRAV2.txt", "KetRAV3.txt", "KetRAV.lck"})
        EXPECT_FALSE(fs::exists(fs::symlink_status(name))) << name;
    fs::remove("KetRAV.Rpt");
    fs::create_symlink("posting/traffic.rpt", "KetRAV.Rpt");

    // Nor is another user's link: the report stays as it was.
    if (geteuid() == 0) {
        write_bytes("posting/traffic.rpt", "old");
        ASSERT_EQ(lchown("KetRAV.Rpt", 65534, 65534), 0);
        EXPECT_EQ(run_ketrav("").exit_code, 1);
        EXPECT_EQ(read_bytes("posting/traffic.rpt"), "old");
        EXPECT_TRUE(fs::is_symlink("KetRAV.Rpt"));
        EXPECT_FALSE(exists("KetRAV2.txt"));
    }

    // A link onto one of the run's own files is refused before anything
    // goes: the report would be renamed onto it and removed with it.
    const std::string posted = read_bytes("posting/traffic.rpt");
    for (const char* own : {"KetRAV1.txt", "KetRAV2.txt", "KetRAV3.txt", "KetRAV.lck", "./ketrav1.TXT"}) {
        fs::remove("KetRAV.Rpt");
        fs::create_symlink(own, "KetRAV.Rpt");
        EXPECT_EQ(run_ketrav("").exit_code, 1) << own;
        EXPECT_TRUE(fs::is_symlink("KetRAV.Rpt")) << own;
        EXPECT_EQ(read_bytes("posting/traffic.rpt"), posted) << own;
        for (const char* name : {"KetRAV1.txt", "KetRAV2.txt", "KetRAV3.txt", "KetRAV.lck"})
            EXPECT_FALSE(fs::exists(fs::symlink_status(name))) << own << ": " << name;
    }

    // What such a link leads to is no leftover of the run's: it stays.
    fs::remove("KetRAV.Rpt");
    write_bytes("KetRAV1.txt", "the sysop's");
    fs::create_symlink("KetRAV1.txt", "KetRAV.Rpt");
    EXPECT_EQ(run_ketrav("").exit_code, 1);
    EXPECT_EQ(read_bytes("KetRAV1.txt"), "the sysop's");
    fs::remove("KetRAV1.txt");

    // With the report in the host directory, the new one's temporary name
    // is there: a link planted under it goes too.
    fs::remove("KetRAV.Rpt");
    expect_report(run_ketrav(""), "261201", "261201", std::string(40, ' '), area_line, "      1");
    EXPECT_FALSE(fs::exists(fs::symlink_status("KetRAV3.txt")));
    EXPECT_EQ(read_bytes("victim"), "root's file");
}

// The new report takes what the sysop set on the old one: its mode, group
// and extended attributes. A FIFO (a posting pipe) is written into, not
// replaced; a hard link's other name keeps the old text.
TEST_F(EndToEnd, TheNewReportKeepsWhatTheSysopSet) {
    namespace fs = std::filesystem;
    write_bytes("logs/qtoss.log", import_line("261201 10:00:00", "AREA"));
    const std::string area_line = "AREA " + std::string(33, '.') + " :       1 100.0%" + crlf;
    write_bytes("KetRAV.Rpt", "old");
    ASSERT_EQ(chmod("KetRAV.Rpt", 0640), 0);
    bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown("KetRAV.Rpt", 0, 65534), 0);
    }
    bool attributes = setxattr("KetRAV.Rpt", "user.posted", "no", 2, 0) == 0;
    fs::create_hard_link("KetRAV.Rpt", "last-month.rpt");
    expect_report(run_ketrav(""), "261201", "261201", std::string(40, ' '), area_line, "      1");
    struct stat info {};
    ASSERT_EQ(stat("KetRAV.Rpt", &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(info.st_gid, 65534u);
    }
    char value[8] = {};
    if (attributes) {
        EXPECT_EQ(getxattr("KetRAV.Rpt", "user.posted", value, sizeof value), 2);
    }
    EXPECT_EQ(read_bytes("last-month.rpt"), "old");

    // A posting pipe gets the report whole, once the run knows it is, even
    // one longer than the pipe holds at a time.
    std::string log;
    for (int i = 0; i < 2000; ++i) log += import_line("261201 10:00:00", "AREA" + std::to_string(i));
    write_bytes("logs/qtoss.log", log);
    fs::remove("KetRAV.Rpt");
    ASSERT_EQ(mkfifo("KetRAV.Rpt", 0600), 0);
    std::string program = ketrav::testing::program_path("ketrav");
    int status = run_with_fifo_reader("exec cat <&3 > posted", "'" + program + "' T");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    std::string posted = read_bytes("posted");
    EXPECT_GT(posted.size(), 100000u);
    EXPECT_NE(posted.find("AREA999 "), std::string::npos);
    EXPECT_NE(posted.find("    Total Messages =   2,000" + crlf), std::string::npos);
    EXPECT_TRUE(fs::is_fifo("KetRAV.Rpt"));

    // A reader that leaves after 100 bytes: the run ends with 1, not by
    // SIGPIPE, and leaves nothing of its own behind; also with a report
    // that the pipe takes whole at once.
    for (const std::string& log_now : {log, import_line("261201 10:00:00", "AREA")}) {
        write_bytes("logs/qtoss.log", log_now);
        status = run_with_fifo_reader("head -c 100 <&3 > early; exec 3<&-; sleep 0.5", "'" + program + "' T");
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status << " " << log_now.size();
        EXPECT_EQ(read_bytes("early").size(), 100u);
        for (const char* left : {"KetRAV.lck", "KetRAV1.txt", "KetRAV2.txt", "KetRAV3.txt"})
            EXPECT_FALSE(exists(left)) << left;
        EXPECT_TRUE(fs::is_fifo("KetRAV.Rpt"));
    }

    // A delivery stopped and continued midway (Ctrl-Z and fg) goes on where
    // it stopped: 0 and the whole report.
    write_bytes("logs/qtoss.log", log);
    for (int round = 0; round < 3; ++round) {
        fs::remove("posted");
        // The reader takes one page, so that the run is stopped in a write
        // that has put some of its piece into the pipe, and no more.
        status = run_with_fifo_reader("dd bs=4096 count=1 <&3 > posted 2>/dev/null; sleep 0.8; exec cat <&3 >> posted",
                                      "'" + program + "' T",
                                      "i=0; while [ ! -s posted ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done; "
                                      "sleep 0.2; kill -STOP $k; sleep 0.1; kill -CONT $k;");
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << " " << round;
        EXPECT_NE(read_bytes("posted").find("    Total Messages =   2,000" + crlf), std::string::npos) << round;
    }
    // A reader that takes exactly the whole report and closes at once: 0,
    // however soon it closes.
    write_bytes("logs/qtoss.log", import_line("261201 10:00:00", "AREA"));
    const std::size_t report_size = header("01-01-2026", "261201", "261201", std::string(40, ' ') + "T").size() +
                                    area_line.size() + footer("      1").size();
    for (int round = 0; round < 20; ++round) {
        status = run_with_fifo_reader("exec head -c " + std::to_string(report_size) + " <&3 > posted",
                                      "'" + program + "' T");
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << " " << round;
        EXPECT_EQ(read_bytes("posted").size(), report_size) << round;
    }

    // No reader at all: 1 before the log is read, so the sort never runs
    // (a copy of the programs whose cmd leaves a mark).
    fs::create_directory("programs");
    for (const char* name : {"ketrav", "cmd", "sort"})
        fs::copy_file(ketrav::testing::program_path(name), std::string("programs/") + name);
    fs::rename("programs/cmd", "programs/real-cmd");
    write_bytes("programs/cmd", "#!/bin/sh\n: > sorted-mark\nexec \"$(dirname \"$0\")/real-cmd\" \"$@\"\n");
    fs::permissions("programs/cmd", fs::perms::owner_all);
    EXPECT_EQ(exit_status_of("programs/ketrav T"), 1);
    EXPECT_FALSE(exists("sorted-mark"));
    fs::remove("KetRAV.Rpt");
    EXPECT_EQ(exit_status_of("programs/ketrav T"), 0);
    EXPECT_TRUE(exists("sorted-mark"));
}

// Two hosts whose reports are links into one posting directory, run at
// once again and again: each target holds its own host's report, and
// nothing else is left there.
TEST_F(EndToEnd, TwoHostsPostingIntoOneDirectoryNeverMeet) {
    namespace fs = std::filesystem;
    fs::create_directory("posting");
    for (const char* host : {"north", "south"}) {
        fs::create_directories(std::string(host) + "/logs");
        std::string log;
        for (int i = 0; i < 3000; ++i) log += import_line("261201 10:00:00", std::string(host) + std::to_string(i % 5));
        write_bytes(std::string(host) + "/logs/qtoss.log", log);
        fs::create_symlink(fs::absolute("posting/" + std::string(host) + ".rpt"), std::string(host) + "/KetRAV.Rpt");
    }
    std::string program = ketrav::testing::program_path("ketrav");
    for (int round = 0; round < 5; ++round) {
        std::string both = "(cd north && '" + program + "' N) & (cd south && '" + program + "' S) & wait";
        ASSERT_EQ(std::system(("sh -c \"" + both + "\"").c_str()), 0);
        for (const char* host : {"north", "south"}) {
            std::string report = read_bytes("posting/" + std::string(host) + ".rpt");
            EXPECT_NE(report.find(std::string(host) + "0 "), std::string::npos) << round << " " << host;
            EXPECT_EQ(report.find(std::string(host) == "north" ? "south0 " : "north0 "), std::string::npos) << round;
        }
        EXPECT_EQ(std::distance(fs::directory_iterator("posting"), fs::directory_iterator()), 2) << round;
    }
}

// A log cut under the run (a rotation by copying and truncating) never
// gives a partial report with 0: either the whole log's report, the empty
// log's, or 1 with the old report. Nor does one cut and written again past
// the point the run had read (the tosser going on, or a new log copied
// in), or one written over in place: that run's report is never made of
// the two logs.
TEST_F(EndToEnd, ALogCutUnderTheRunNeverGivesAPartialReport) {
    std::string log, next_log;
    for (int i = 0; i < 60000; ++i) log += import_line("261201 10:00:00", "AREA" + std::to_string(i % 9));
    for (int i = 0; i < 70000; ++i) next_log += import_line("261202 10:00:00", "NEXT" + std::to_string(i % 9));
    write_bytes("next.log", next_log);
    std::string program = ketrav::testing::program_path("ketrav");
    std::mt19937 random(7);
    int cut_midway = 0;
    // One run with `cut` made under it, `delay` seconds in: 1 and the old
    // report, or 0 and the whole report of one log or the other.
    std::string next_total = "70,000";
    auto round_with = [&](const std::string& cut, const std::string& delay, const std::string& what) {
        write_bytes("logs/qtoss.log", log);
        write_bytes("KetRAV.Rpt", "old");
        int status = std::system(("'" + program + "' T & sleep " + delay + "; " + cut + "; wait $!").c_str());
        ASSERT_TRUE(WIFEXITED(status)) << status;
        std::string report = read_bytes("KetRAV.Rpt");
        if (WEXITSTATUS(status) == 1) {
            EXPECT_EQ(report, "old") << what;
            ++cut_midway;
            return;
        }
        ASSERT_EQ(WEXITSTATUS(status), 0) << what;
        bool old_areas = report.find("AREA0 ") != std::string::npos;
        bool next_areas = report.find("NEXT0 ") != std::string::npos;
        bool whole =
            old_areas && !next_areas && report.find("    Total Messages =  60,000" + crlf) != std::string::npos;
        bool whole_next =
            next_areas && !old_areas && report.find("    Total Messages =  " + next_total + crlf) != std::string::npos;
        bool empty = report.find("    Total Messages =       0" + crlf) != std::string::npos;
        EXPECT_TRUE(whole || whole_next || empty) << what << ":\n" << report;
    };
    // Cut; cut and written again; written over in place, never shorter.
    const char* cuts[] = {": > logs/qtoss.log", ": > logs/qtoss.log; cat next.log >> logs/qtoss.log",
                          "dd if=next.log of=logs/qtoss.log conv=notrunc status=none"};
    for (int round = 0; round < 21; ++round)
        round_with(cuts[round % 3], "0.0" + std::to_string(random() % 10), std::to_string(round));
    std::cout << "cut midway in " << cut_midway << " of 21 runs\n";

    // Written over in place with changes aimed at the log's check: bits 31
    // and 15 flipped in two words 2^16 words apart near the start, and the
    // areas past the middle renamed. Such a pair once cancelled in the
    // check about every other time, and the run ended 0 with a report of
    // no moment of the log. Now: 1 and the old report, or the whole report
    // of the one log or the other.
    std::string aimed = log;
    for (std::size_t word : {std::size_t{1000}, std::size_t{1000 + 65536}})
        aimed[word * 4 + 1] ^= '\x80', aimed[word * 4 + 3] ^= '\x80';
    for (std::size_t at = aimed.size() / 2; (at = aimed.find("AREA", at)) != std::string::npos; at += 4)
        aimed.replace(at, 4, "NEXT");
    write_bytes("aimed.log", aimed);
    auto undated = [](std::string report) { return report.size() > 81 ? report.replace(71, 10, 10, '#') : report; };
    auto report_of = [&](const std::string& content) {
        write_bytes("logs/qtoss.log", content);
        EXPECT_EQ(exit_status_of("'" + program + "' T"), 0);
        return undated(read_bytes("KetRAV.Rpt"));
    };
    const std::string of_log = report_of(log), of_aimed = report_of(aimed);
    int aimed_midway = 0;
    for (int round = 0; round < 8; ++round) {
        write_bytes("logs/qtoss.log", log);
        write_bytes("KetRAV.Rpt", "old");
        int status = std::system(("'" + program + "' T & sleep 0.0" + std::to_string(random() % 10) +
                                  "; dd if=aimed.log of=logs/qtoss.log conv=notrunc status=none; wait $!")
                                     .c_str());
        ASSERT_TRUE(WIFEXITED(status)) << status;
        std::string report = read_bytes("KetRAV.Rpt");
        if (WEXITSTATUS(status) == 1) {
            EXPECT_EQ(report, "old") << "aimed " << round;
            ++aimed_midway;
            continue;
        }
        EXPECT_EQ(WEXITSTATUS(status), 0) << "aimed " << round;
        EXPECT_TRUE(undated(report) == of_log || undated(report) == of_aimed) << "aimed " << round << ":\n" << report;
    }
    std::cout << "aimed rewrite midway in " << aimed_midway << " of 8 runs\n";

    // On a file system that keeps whole seconds (ext4 with 128-byte inodes),
    // a log written over in place of the same length within the second it
    // was written in keeps its size and time stamps: told by its bytes.
    if (geteuid() != 0) GTEST_SKIP() << "a file system of whole seconds is mounted from an image, which needs root";
    namespace fs = std::filesystem;
    fs::create_directory("seconds");
    if (std::system("truncate -s 32M seconds.img && mkfs.ext4 -q -F -I 128 seconds.img && "
                    "mount -o loop seconds.img seconds 2>/dev/null") != 0)
        GTEST_SKIP() << "no loop mount here (a container without loop devices)";
    struct Unmount {
        ~Unmount() { EXPECT_EQ(std::system("umount seconds"), 0); }
    } unmount;
    fs::create_directories("seconds/logs");
    fs::current_path("seconds");
    std::string same_length = log;
    for (std::size_t at = 0; (at = same_length.find("AREA", at)) != std::string::npos; at += 4)
        same_length.replace(at, 4, "NEXT");
    write_bytes("next.log", same_length);
    next_total = "60,000";
    cut_midway = 0;
    for (int round = 0; round < 6; ++round)
        round_with("dd if=next.log of=logs/qtoss.log conv=notrunc status=none", "0.05",
                   "whole seconds " + std::to_string(round));
    fs::current_path("..");
    std::cout << "on whole seconds, written over midway in " << cut_midway << " of 6 runs\n";
}

// XFS shut down between the rename and its flush (a disk gone, or a power
// cut as the file system meets it) answers the directory's flush with
// success and the file's with EIO, and after a remount the old report is
// back: the run may never end 0 then.
TEST_F(EndToEnd, AFileSystemShutDownAfterTheRenameNeverEndsWithZeroAndTheOldReport) {
    if (geteuid() != 0) GTEST_SKIP() << "an XFS image is mounted and shut down, which needs root";
    if (std::system("{ command -v mkfs.xfs && command -v xfs_io && command -v strace; } >/dev/null") != 0)
        GTEST_SKIP() << "xfsprogs or strace is missing (scripts/install-deps.sh check installs them)";
    namespace fs = std::filesystem;
    fs::create_directory("xfs");
    const std::string program = ketrav::testing::program_path("ketrav");
    for (int round = 0; round < 3; ++round) {
        if (std::system("truncate -s 320M xfs.img && mkfs.xfs -q -f xfs.img && mount -o loop xfs.img xfs") != 0)
            GTEST_SKIP() << "no loop mount here (a container without loop devices)";
        fs::create_directories("xfs/logs");
        write_bytes("xfs/logs/qtoss.log", import_line("261201 10:00:00", "AREA"));
        write_bytes("xfs/KetRAV.Rpt", "old");
        // The run held for 2 s just after its rename, the file system shut
        // down 1 s into that.
        int status = std::system(("sync; cd xfs && { (sleep 1; xfs_io -x -c shutdown .) & strace -f -o /dev/null "
                     "-e trace=renameat,renameat2 -e inject=renameat,renameat2:delay_exit=2000000 '" +
                     program + "' T; echo $? > ../exit; wait; }")
                                     .c_str());
        ASSERT_TRUE(WIFEXITED(status)) << status;
        ASSERT_EQ(std::system("umount xfs && mount -o loop xfs.img xfs"), 0);
        const std::string exit_code = read_bytes("exit"), report = read_bytes("xfs/KetRAV.Rpt");
        ASSERT_EQ(std::system("umount xfs"), 0);
        EXPECT_TRUE(exit_code == "0\n" || exit_code == "1\n") << round << ": " << exit_code;
        EXPECT_FALSE(exit_code == "0\n" && report == "old") << round << ": exit 0, and the old report after a remount";
    }
}

// The claim holds however the directory is reached (through a link here),
// and in a host directory its user may write but not read (0333): a run
// there as that user is claimed like any other, and is refused while
// another run holds the directory.
TEST_F(EndToEnd, TheClaimHoldsThroughALinkAndInAClosedDirectory) {
    namespace fs = std::filesystem;
    write_bytes("logs/qtoss.log", import_line("261201 10:00:00", "AREA"));
    write_bytes("KetRAV.Rpt", "old");
    fs::create_directory_symlink(".", "alias");
    ketrav::platform::OsHandle first_run;
    ASSERT_TRUE(ketrav::platform::claim_current_directory("KetRAV.lck", first_run).ok);
    std::string program = ketrav::testing::program_path("ketrav");
    EXPECT_EQ(exit_status_of("cd alias && '" + program + "' T"), 1);
    EXPECT_EQ(read_bytes("KetRAV.Rpt"), "old");
    ketrav::platform::release_directory_claim(first_run);

    // Root runs the closed directory's run as another user, from a copy of
    // the programs that user may reach (the build tree may lie in a home
    // closed to others); anyone else closes a directory of their own.
    fs::create_directories("closed/logs");
    write_bytes("closed/logs/qtoss.log", import_line("261201 10:00:00", "AREA"));
    fs::create_directory("programs");
    for (const char* name : {"ketrav", "cmd", "sort"})
        fs::copy_file(ketrav::testing::program_path(name), std::string("programs/") + name);
    std::string copy = fs::absolute("programs/ketrav").string();
    std::string as_user = "sh -c";
    if (geteuid() == 0) {
        ASSERT_EQ(std::system("chown -R 65534:65534 closed && chmod -R o+rx programs && chmod o+x ."), 0);
        as_user = "setpriv --reuid=65534 --regid=65534 --clear-groups sh -c";
    }
    fs::permissions("closed", fs::perms::owner_write | fs::perms::owner_exec | fs::perms::group_write |
                                  fs::perms::group_exec | fs::perms::others_write | fs::perms::others_exec);
    std::string run = as_user + " \"cd closed && '" + copy + "' T\"";
    EXPECT_EQ(exit_status_of("flock -n closed/KetRAV.lck " + run), 1);
    // Root in that user's directory is refused: it would read what that
    // user names with root's rights (a root-only file, say).
    if (geteuid() == 0) {
        write_bytes("secret.log", import_line("261201 10:00:00", "SECRET"));
        ASSERT_EQ(chmod("secret.log", 0600), 0);
        write_bytes("closed/ketrav.ini", fs::absolute("secret.log").string() + crlf);
        EXPECT_EQ(exit_status_of("cd closed && '" + copy + "' T"), 1);
        EXPECT_FALSE(exists("closed/KetRAV.Rpt"));
        fs::remove("closed/ketrav.ini");
    }
    EXPECT_EQ(exit_status_of(run), 0);
    fs::permissions("closed", fs::perms::owner_all);
    EXPECT_NE(read_bytes("closed/KetRAV.Rpt").find("AREA "), std::string::npos);
    EXPECT_FALSE(exists("closed/KetRAV.lck"));
}

// Root in another user's directory runs as that user: the schedule goes
// on and the report is that user's. In root's own directory, whatever
// another user owns or may write on the way to what the run reads or
// writes is refused with 1: no root-only byte reaches a report, and root
// writes into no file of another user's. Root's rules need root to run.
TEST_F(EndToEnd, RootActsAsTheOwnerAndTrustsNothingElse) {
    namespace fs = std::filesystem;
    if (geteuid() != 0) GTEST_SKIP() << "root's own rules: another user's directory needs root to run in";
    write_bytes("secret", import_line("261201 10:00:00", "SECRET"));
    ASSERT_EQ(chmod("secret", 0600), 0);
    fs::create_directory("programs");
    for (const char* name : {"ketrav", "cmd", "sort"})
        fs::copy_file(ketrav::testing::program_path(name), std::string("programs/") + name);
    ASSERT_EQ(std::system("chmod -R o+rx programs && chmod o+x ."), 0);
    const std::string program = fs::absolute("programs/ketrav").string();
    const std::string secret = fs::absolute("secret").string();
    auto make_host = [&](const std::string& host, mode_t mode, uid_t owner, gid_t group) {
        fs::create_directories(host + "/logs");
        write_bytes(host + "/logs/qtoss.log", import_line("261201 10:00:00", "AREA"));
        ASSERT_EQ(chown(host.c_str(), owner, group), 0);
        ASSERT_EQ(chmod(host.c_str(), mode), 0);
    };
    auto run_in = [&](const std::string& host) { return exit_status_of("cd " + host + " && '" + program + "' T"); };
    auto holds_secret = [&](const std::string& host) {
        return read_bytes(host + "/KetRAV.Rpt").find("SECRET") != std::string::npos;
    };

    // The tosser's own logs/ in root's directory, its log a link to a
    // root-only file, or its own file.
    make_host("tossers-logs", 0755, 0, 0);
    ASSERT_EQ(chown("tossers-logs/logs", 65534, 65534), 0);
    fs::remove("tossers-logs/logs/qtoss.log");
    fs::create_symlink(secret, "tossers-logs/logs/qtoss.log");
    ASSERT_EQ(lchown("tossers-logs/logs/qtoss.log", 65534, 65534), 0);
    EXPECT_EQ(run_in("tossers-logs"), 1);
    EXPECT_FALSE(exists("tossers-logs/KetRAV.Rpt"));
    ASSERT_EQ(chown("tossers-logs/logs", 0, 0), 0);
    EXPECT_EQ(run_in("tossers-logs"), 1);
    EXPECT_FALSE(exists("tossers-logs/KetRAV.Rpt"));

    // The sysop's usual layout: root's directory, the tosser's own logs/
    // and log, which root reads with the tosser's rights; root's report.
    make_host("tossers-own", 0755, 0, 0);
    ASSERT_EQ(std::system("chown -R 65534:65534 tossers-own/logs && chmod 0640 tossers-own/logs/qtoss.log"), 0);
    EXPECT_EQ(run_in("tossers-own"), 0);
    EXPECT_NE(read_bytes("tossers-own/KetRAV.Rpt").find("AREA "), std::string::npos);
    struct stat made {};
    ASSERT_EQ(stat("tossers-own/KetRAV.Rpt", &made), 0);
    EXPECT_EQ(made.st_uid, 0u);

    // Access lists that let another user write what root trusts: the
    // ini (a user's entry, a group's), the host directory, the log. No
    // byte of the secret, and no area of the user's, reaches a report.
    struct Listed {
        const char* host;
        const char* path;
        const char* entry;
    };
    for (const Listed& one :
         {Listed{"acl-ini", "ketrav.ini", "u:65534:rw"}, Listed{"acl-ini-group", "ketrav.ini", "g:65534:rw"},
          Listed{"acl-host", ".", "u:65534:rwx"}, Listed{"acl-log", "logs/qtoss.log", "u:65534:rw"}}) {
        make_host(one.host, 0755, 0, 0);
        write_bytes(std::string(one.host) + "/ketrav.ini",
                    one.path == std::string("logs/qtoss.log") ? "" : secret + crlf);
        std::string path = std::string(one.host) + "/" + one.path;
        // The test command installs acl; a file system without access
        // lists cannot hold these cases.
        ASSERT_EQ(std::system(("setfacl -m " + std::string(one.entry) + " '" + path + "'").c_str()), 0) << one.host;
        EXPECT_EQ(run_in(one.host), 1) << one.host;
        EXPECT_FALSE(exists(std::string(one.host) + "/KetRAV.Rpt")) << one.host;
    }

    // An owner the tables do not list runs with no group that grants
    // anything: not the directory's (root's), so a file root's group may
    // read stays closed, and the report is in the "no group" group.
    make_host("unlisted", 0755, 4242, 0);
    ASSERT_EQ(std::system("chown -R 4242:0 unlisted/logs"), 0);
    write_bytes("group-secret", import_line("261201 10:00:00", "SECRET"));
    ASSERT_EQ(chmod("group-secret", 0640), 0);
    write_bytes("unlisted/ketrav.ini", fs::absolute("group-secret").string() + crlf);
    EXPECT_EQ(run_in("unlisted"), 1);
    EXPECT_FALSE(exists("unlisted/KetRAV.Rpt"));
    fs::remove("unlisted/ketrav.ini");
    EXPECT_EQ(run_in("unlisted"), 0);
    ASSERT_EQ(stat("unlisted/KetRAV.Rpt", &made), 0);
    EXPECT_EQ(made.st_uid, 4242u);
    EXPECT_EQ(made.st_gid, 65534u);

    // A directory its group may write (2775), whose member names the secret.
    make_host("group-written", 02775, 0, 65534);
    write_bytes("group-written/ketrav.ini", secret + crlf);
    EXPECT_EQ(run_in("group-written"), 1);
    EXPECT_FALSE(exists("group-written/KetRAV.Rpt"));

    // A sticky directory every user may write, a report planted there for
    // every user to read, and an ini of a user's naming the secret.
    make_host("sticky", 01777, 0, 0);
    write_bytes("sticky/ketrav.ini", secret + crlf);
    write_bytes("sticky/KetRAV.Rpt", "planted");
    ASSERT_EQ(std::system("chown 65534:65534 sticky/ketrav.ini sticky/KetRAV.Rpt && chmod 0666 sticky/KetRAV.Rpt"), 0);
    EXPECT_EQ(run_in("sticky"), 1);
    EXPECT_EQ(read_bytes("sticky/KetRAV.Rpt"), "planted");
    ASSERT_EQ(chmod("sticky", 0755), 0);
    fs::remove("sticky/ketrav.ini");
    EXPECT_EQ(run_in("sticky"), 1);  // the user's report stays the user's
    EXPECT_EQ(read_bytes("sticky/KetRAV.Rpt"), "planted");

    // Root's cron line in the user's directory: the user's run, made as the
    // user, with the user's report; a root-only file named there is not
    // read (the user may not).
    // A report of root's left there keeps no group access the user cannot
    // give: root's group could not read it, the user's may not now.
    make_host("users", 0755, 65534, 65534);
    ASSERT_EQ(std::system("chown -R 65534:65534 users/logs"), 0);
    write_bytes("users/KetRAV.Rpt", "root's");
    ASSERT_EQ(chmod("users/KetRAV.Rpt", 0640), 0);
    EXPECT_EQ(run_in("users"), 0);
    struct stat report {};
    ASSERT_EQ(stat("users/KetRAV.Rpt", &report), 0);
    EXPECT_EQ(report.st_uid, 65534u);
    EXPECT_EQ(report.st_mode & 0777, 0600u);
    EXPECT_NE(read_bytes("users/KetRAV.Rpt").find("AREA "), std::string::npos);
    write_bytes("users/ketrav.ini", secret + crlf);
    EXPECT_EQ(run_in("users"), 1);
    EXPECT_FALSE(holds_secret("users"));
    // Nothing of root's reaches the user's helpers: not root's environment
    // (a secret, a TMPDIR the user cannot write), not root's standard
    // error (a root-only file), not the capabilities a parent meant to
    // keep over the switch. A sort that tells what it was given shows it.
    fs::create_directory("spied");
    for (const char* name : {"ketrav", "cmd"})
        fs::copy_file("programs/" + std::string(name), "spied/" + std::string(name));
    fs::copy_file("programs/sort", "spied/sort.real");
    write_bytes("spied/sort",
                "#!/bin/sh\n{ env; echo \"stderr=$(readlink /proc/$$/fd/2)\"; grep '^Cap' /proc/$$/status; } > seen\n"
                "exec \"$(dirname \"$0\")/sort.real\" \"$@\"\n");
    ASSERT_EQ(std::system("chmod -R o+rx spied && touch root-only && chmod 0600 root-only"), 0);
    fs::remove("users/ketrav.ini");
    std::string spied = fs::absolute("spied/ketrav").string();
    EXPECT_EQ(exit_status_of("cd users && SECRET=root-secret TMPDIR=/root setpriv --securebits +no_setuid_fixup '" +
                             spied + "' T 2>>../root-only"),
              0);
    std::string seen = read_bytes("users/seen");
    EXPECT_NE(seen.find("USER=nobody\n"), std::string::npos) << seen;
    for (const char* leak : {"SECRET", "TMPDIR=/root"}) EXPECT_EQ(seen.find(leak), std::string::npos) << seen;
    EXPECT_NE(seen.find("stderr=/dev/null"), std::string::npos) << seen;
    for (const char* set : {"CapInh", "CapPrm", "CapEff", "CapAmb"})
        EXPECT_NE(seen.find(std::string(set) + ":\t0000000000000000"), std::string::npos) << set << "\n" << seen;
    EXPECT_EQ(read_bytes("root-only"), "");

    for (const char* host : {"tossers-logs", "tossers-own", "group-written", "sticky", "users", "unlisted"})
        EXPECT_FALSE(exists(std::string(host) + "/KetRAV.lck")) << host;

    // And in root's own safe directory, root's run as ever.
    make_host("roots", 0755, 0, 0);
    EXPECT_EQ(run_in("roots"), 0);
    EXPECT_NE(read_bytes("roots/KetRAV.Rpt").find("AREA "), std::string::npos);

    // Odd tables, as a system may have them (seen through a private mount
    // of /etc/passwd): a gid past 32 bits names no one (never root's 0),
    // on every build (no exception on a 32-bit one); a FIFO in the table's
    // place is not waited on.
    write_bytes("odd-passwd", "root:x:0:0::/root:/bin/sh\nodd:x:4243:4294967296::/:/bin/sh\n");
    make_host("odd", 0755, 4243, 0);
    ASSERT_EQ(std::system("chown -R 4243:0 odd/logs && mkfifo fifo-passwd"), 0);
    write_bytes("odd/ketrav.ini", fs::absolute("group-secret").string() + crlf);
    auto run_with_table = [&](const std::string& table) {
        return exit_status_of("timeout 120 unshare -m sh -c 'mount --bind " + fs::absolute(table).string() +
                              " /etc/passwd && cd odd && exec \"$0\" T' '" + program + "'");
    };
    for (const char* table : {"odd-passwd", "fifo-passwd"}) {
        int status = run_with_table(table);
        if (status != 1 && status != 0) GTEST_SKIP() << "no private mount of /etc/passwd here (unshare -m): " << status;
        EXPECT_EQ(status, 1) << table;
        EXPECT_FALSE(exists("odd/KetRAV.Rpt")) << table;
    }
}

TEST_F(EndToEnd, LogThatIsADeviceReadsAsEmpty) {
    // Endless bytes must not keep the run going for ever. Root reads no
    // file that every user may write, a device among them.
    std::filesystem::create_symlink("/dev/zero", "logs/qtoss.log");
    write_bytes("ketrav.ini", "/dev/urandom" + crlf);
    if (geteuid() == 0) {
        EXPECT_EQ(run_ketrav("").exit_code, 1);
        EXPECT_FALSE(exists("KetRAV.Rpt"));
        return;
    }
    expect_report(run_ketrav(""), "", "", std::string(40, ' '), "", "      0");
}
#endif

}  // namespace
