// The whole run under every fault: each OS call of a complete run on a
// scratch host directory is made to fail, once and from then on, with the
// codes that matter, or to write short, or with a fatal code. The run must
// end (255 exactly after a fatal code), leave no handle open, and leave the
// temporary files only where a failed clean-up leaves them. It ends with 0
// only when the report is the clean one, and always when the fault hit the
// clean-up alone: a scheduler posts a report after a 0. It ends with 1
// otherwise, and then the old report is there byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "fault_countdown.h"
#include "platform/call_table.h"
#include "report/run_report.h"
#include "services/date_and_command_tail.h"
#include "services/directory_claim.h"
#include "services/file_names.h"
#include "services/text_files.h"
#include "test_support.h"

using ketrav::platform::SystemCall;
using ketrav::testing::exists;
using ketrav::testing::read_bytes;
using ketrav::testing::write_bytes;

namespace {

const std::string crlf = "\r\n";
const std::string old_report = "the last good report" + crlf;

void set_up_host() {
    std::filesystem::create_directory("logs");
    write_bytes("logs/qtoss.log", "  261130 08:00:00 start" + crlf + "  261201 10:00:00  Import #1 from 2:5020/1 to B" +
                                      crlf + "  261202 11:00:00  Import #2 from 2:5020/1 to A" + crlf +
                                      "  261203 12:00:00  Import #3 from 2:5020/1 to B" + crlf);
    write_bytes("ketrav.ini", "logs\\qtoss.log" + crlf);
    write_bytes("KetRAV.Rpt", old_report);
    ketrav::services::locate_command_tail("ketrav Sweep");
}

struct CleanRun {
    std::string report;
    unsigned calls = 0;
    unsigned writes = 0;
    unsigned first_clean_up_call = 0;  // the first call of the deletions
};

const CleanRun& clean_run() {
    static const CleanRun clean = [] {
        CleanRun run;
        {
            ketrav::testing::ScratchDirectory scratch;
            set_up_host();
            ketrav::testing::count_calls();
            ketrav::report::run_report();
            run.calls = ketrav::testing::calls_seen();
            run.writes = ketrav::testing::calls_seen_of(SystemCall::write_file);
            ketrav::testing::stop_countdown();
            run.report = read_bytes("KetRAV.Rpt");
        }
        // The run ends by deleting the two temporary files (and the report's
        // own, there only for a posting pipe) and giving up its claim on the
        // directory.
        ketrav::testing::ScratchDirectory scratch;
        write_bytes("KetRAV1.txt", "1");
        write_bytes("KetRAV2.txt", "2");
        ketrav::services::claim_directory("KetRAV.lck");
        ketrav::testing::count_calls();
        ketrav::services::delete_file("KetRAV1.txt");
        ketrav::services::delete_file("KetRAV2.txt");
        ketrav::services::delete_file("KetRAV3.txt");
        ketrav::services::release_directory();
        run.first_clean_up_call = run.calls - ketrav::testing::calls_seen() + 1;
        ketrav::testing::stop_countdown();
        return run;
    }();
    return clean;
}

struct Outcome {
    int exit_code = -1;
    std::string report;
    std::set<std::string> left;
    int leaked = 0;
    unsigned refused_closes = 0;
    // The wait for the sorting command failed: the run went on while the
    // command still ran, and the command may write KetRAV2.txt after the
    // run's clean-up.
    bool sort_unwaited = false;
    std::string failed_call;
};

// One run with the countdown armed by `arm`.
template <class Arm>
Outcome run_with(Arm arm) {
    ketrav::testing::ScratchDirectory scratch;
    set_up_host();
    int before = ketrav::platform::open_handle_count();
    Outcome outcome;
    arm();
    outcome.exit_code = ketrav::report::run_report();
    outcome.refused_closes =
        ketrav::testing::failures_of(SystemCall::close_handle) + ketrav::testing::failures_of(SystemCall::find_close);
    outcome.sort_unwaited = ketrav::testing::failures_of(SystemCall::wait_for_process) > 0;
    if (ketrav::testing::failed_call() != SystemCall::count)
        outcome.failed_call = ketrav::platform::system_call_name(ketrav::testing::failed_call());
    ketrav::testing::stop_countdown();
    // What the file table and the claim still hold is the run's to close.
    ketrav::services::close_all();
    ketrav::services::release_directory();
    outcome.leaked = ketrav::platform::open_handle_count() - before;
    outcome.report = read_bytes("KetRAV.Rpt");
    for (const auto& entry : std::filesystem::directory_iterator("."))
        outcome.left.insert(entry.path().filename().string());
    return outcome;
}

// The report with its date stamp blanked: a sweep may pass midnight.
std::string undated(std::string report) {
    const std::size_t stamp_at = 2 + 69;
    if (report.size() >= stamp_at + 10) report.replace(stamp_at, 10, 10, '#');
    return report;
}

void check(const Outcome& outcome, const std::string& what, bool clean_up_may_fail, bool only_clean_up_failed) {
    const CleanRun& clean = clean_run();
    EXPECT_TRUE(outcome.exit_code == 0 || outcome.exit_code == 1) << what << ": exit code " << outcome.exit_code;
    if (outcome.exit_code == 0) {
        EXPECT_EQ(undated(outcome.report), undated(clean.report)) << what << ": exit code 0";
    } else {
        EXPECT_EQ(outcome.report, old_report) << what << ": exit code 1";
    }
    if (only_clean_up_failed) {
        EXPECT_EQ(outcome.exit_code, 0) << what << " (" << outcome.failed_call << ")";
    }
    EXPECT_LE(outcome.leaked, static_cast<int>(outcome.refused_closes)) << what;
    for (const std::string& name : outcome.left) {
        bool expected = name == "logs" || name == "ketrav.ini" || name == "KetRAV.Rpt";
        bool temporary = name == "KetRAV1.txt" || name == "KetRAV2.txt" || name == "KetRAV3.txt";
        // A run that could not take its claim, or give it up, may leave the
        // lock file, which the next run takes over.
        bool lock = name == "KetRAV.lck" && (outcome.exit_code == 1 || clean_up_may_fail);
        EXPECT_TRUE(expected || lock ||
                    (temporary && (clean_up_may_fail || outcome.refused_closes > 0 || outcome.sort_unwaited)))
            << what << ": " << name << " left behind after " << outcome.failed_call;
    }
}

struct Fault {
    const char* name;
    ketrav::platform::OsError error;
};

class RunReportSweep : public ::testing::TestWithParam<Fault> {};

TEST_P(RunReportSweep, EveryCallFailsOnceAndFromThenOn) {
    const CleanRun& clean = clean_run();
    ASSERT_GT(clean.calls, 20u);
    ASSERT_NE(clean.report.find("B " + std::string(36, '.') + " :       2  66.6%"), std::string::npos);
    for (unsigned nth = 1; nth <= clean.calls; ++nth) {
        for (bool persistent : {false, true}) {
            Outcome outcome = run_with([&] { ketrav::testing::fail_nth_call(nth, GetParam().error, persistent); });
            std::ostringstream what;
            what << GetParam().name << " at call " << nth << (persistent ? " and after" : " once");
            check(outcome, what.str(), persistent || nth >= clean.first_clean_up_call,
                  nth >= clean.first_clean_up_call);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Codes, RunReportSweep,
                         ::testing::Values(Fault{"access_denied", 5}, Fault{"disk_full", 112},
                                           Fault{"sharing_violation", 32}, Fault{"invalid_handle", 6},
                                           Fault{"not_enough_memory", 8}),
                         [](const ::testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

TEST(RunReportSweepWrites, EveryWriteCutShort) {
    const CleanRun& clean = clean_run();
    for (unsigned nth = 1; nth <= clean.writes; ++nth) {
        Outcome outcome = run_with([&] { ketrav::testing::short_write_nth_write(nth, 1); });
        check(outcome, "short write " + std::to_string(nth), false, false);
    }
}

// OS error 7 (a damaged memory block) is fatal: the process ends at once
// with 255, or, where the failing call's error is never recorded, the run
// ends by its own rules.
TEST(RunReportSweepDeathTest, FatalCodeEndsWith255) {
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    const CleanRun& clean = clean_run();
    unsigned step = clean.calls / 8 + 1;
    for (unsigned nth = 1; nth <= clean.calls; nth += step) {
        EXPECT_EXIT(
            {
                ketrav::testing::ScratchDirectory scratch;
                set_up_host();
                ketrav::testing::fail_nth_call(nth, 7, false);
                std::exit(ketrav::report::run_report());
            },
            [](int status) {
                return ::testing::ExitedWithCode(0)(status) || ::testing::ExitedWithCode(1)(status) ||
                       ::testing::ExitedWithCode(255)(status);
            },
            "")
            << "fatal at call " << nth;
    }
}

}  // namespace
