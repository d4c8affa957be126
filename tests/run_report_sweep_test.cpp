// The whole run under every fault: each OS call of a complete run on a
// scratch host directory is made to fail, once and from then on, with the
// codes that matter, or to write short, or with a fatal code. The run must
// end (255 exactly after a fatal code), leave no handle open, and leave the
// temporary files only where a failed clean-up leaves them. It ends with 0
// only when the report is the clean one, and always when the fault hit the
// clean-up alone: a scheduler posts a report after a 0. It ends with 1
// otherwise, and then the old report is there byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

#ifndef _WIN32
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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
    // The new report was moved into place and a flush failed: when that was
    // the move's own, the run ends with 1 and the new report there.
    bool moved = false;
    // The move is not known to be on disk: after it, no flush of the
    // directory or its file system succeeded, or the new file's own last
    // flush failed. Then the run may not end 0.
    bool move_unforced = false;
    // The system gave no random bytes for the log's key: no check can be
    // made, so the run may not end 0.
    bool keyless = false;
};

// Whether a move was made and then not forced, by the calls seen in order:
// the move's flushes are those after the last rename that succeeded, the
// file's own the last of them.
[[maybe_unused]] bool move_left_unforced(const std::vector<ketrav::testing::CallMade>& calls) {
    auto moved = std::find_if(calls.rbegin(), calls.rend(), [](const ketrav::testing::CallMade& made) {
        return made.call == SystemCall::rename_file && !made.failed;
    });
    if (moved == calls.rend()) return false;
    std::vector<bool> flushes;
    for (auto after = moved.base(); after != calls.end(); ++after)
        if (after->call == SystemCall::sync_file) flushes.push_back(!after->failed);
    if (flushes.size() < 2 || !flushes.back()) return true;
    return std::find(flushes.begin(), flushes.end() - 1, true) == flushes.end() - 1;
}

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
    outcome.moved = ketrav::testing::calls_seen_of(SystemCall::rename_file) >
                        ketrav::testing::failures_of(SystemCall::rename_file) &&
                    ketrav::testing::failures_of(SystemCall::sync_file) > 0;
    outcome.keyless = ketrav::testing::failures_of(SystemCall::random_bytes) > 0;
#ifndef _WIN32
    // (Windows' move writes through in the one call.)
    outcome.move_unforced = move_left_unforced(ketrav::testing::calls_made());
#endif
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
    } else if (outcome.moved && outcome.report != old_report) {
        EXPECT_EQ(undated(outcome.report), undated(clean.report)) << what << ": exit code 1 after the move";
    } else {
        EXPECT_EQ(outcome.report, old_report) << what << ": exit code 1";
    }
    if (only_clean_up_failed) {
        EXPECT_EQ(outcome.exit_code, 0) << what << " (" << outcome.failed_call << ")";
    }
    if (outcome.keyless) {
        EXPECT_EQ(outcome.exit_code, 1) << what << ": no key for the log's check";
    }
    if (outcome.move_unforced) {
        EXPECT_EQ(outcome.exit_code, 1) << what << ": the move was not forced to disk";
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

#ifndef _WIN32
// Power cuts. The run's disk changes are recorded through the call table;
// after each one the states a file system may bring back after a cut there
// are built, each by a persistence model:
// - in order: every change up to the cut, as made;
// - directory changes forced only by the directory's own flush (or a flush
//   of the whole file system), any prefix of those made since; a file's
//   data, size and mode only by its own flush, each either as forced or
//   as it stands;
// - the same, where a file's unforced data may read as zeros.
// In each state the report is the old one or the new one, byte for byte
// and with its mode, and after an exit 0 the new one; the next run on the
// state ends 0 with the whole report and leaves nothing of the crashed run.
// A file's owner and mode: set apart from its data, and, like its data,
// kept by a cut as last forced or as they stand.
struct Attributes {
    unsigned mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
    bool operator==(const Attributes&) const = default;
};
struct CutFile {
    std::string data, forced_data;
    Attributes attributes, forced_attributes;
};
Attributes attributes_of(const struct stat& info) { return Attributes{info.st_mode & 0777u, info.st_uid, info.st_gid}; }
using Entries = std::map<std::string, ino_t>;
struct CutFolder {
    Entries forced;
    std::vector<Entries> since;  // the entries after each change not yet forced
    const Entries& now() const { return since.empty() ? forced : since.back(); }
};
struct DiskState {
    std::map<ino_t, CutFile> files;
    std::map<ino_t, CutFolder> folders;
};
struct DiskRecord {
    DiskState state;
    std::set<std::string> made;  // the names of the files the run made
    std::map<int, ino_t> descriptors;
    std::map<int, std::size_t> positions;
    ino_t host = 0;
    std::vector<DiskState> cuts;  // the state after each change
};
DiskRecord* recording = nullptr;

// The folders of the host and its posting directory, every regular file in
// them forced.
DiskState state_on_disk(const std::vector<std::string>& folders) {
    DiskState state;
    for (const std::string& folder : folders) {
        struct stat info {};
        lstat(folder.c_str(), &info);
        CutFolder& cut = state.folders[info.st_ino];
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            struct stat file {};
            if (lstat(entry.path().c_str(), &file) != 0 || !S_ISREG(file.st_mode)) continue;
            cut.forced[entry.path().filename().string()] = file.st_ino;
            std::string data = read_bytes(entry.path());
            state.files[file.st_ino] = CutFile{data, data, attributes_of(file), attributes_of(file)};
        }
    }
    return state;
}

CutFolder* folder_of(DiskRecord& record, std::intptr_t handle) {
    ino_t folder = handle == AT_FDCWD                                   ? record.host
                   : record.descriptors.count(static_cast<int>(handle)) ? record.descriptors[static_cast<int>(handle)]
                                                                        : 0;
    auto found = record.state.folders.find(folder);
    return found == record.state.folders.end() ? nullptr : &found->second;
}

void change_entries(CutFolder* folder, const std::function<void(Entries&)>& change) {
    if (!folder) return;
    Entries entries = folder->now();
    change(entries);
    folder->since.push_back(entries);
}

void record_disk_change(const ketrav::platform::DiskChange& change) {
    DiskRecord& record = *recording;
    DiskState& state = record.state;
    int fd = static_cast<int>(change.handle);
    bool known = record.descriptors.count(fd) > 0;
    CutFile* file = known && state.files.count(record.descriptors[fd]) ? &state.files[record.descriptors[fd]] : nullptr;
    switch (change.call) {
        case SystemCall::open_file: {
            struct stat info {};
            if (change.result < 0 || fstat(static_cast<int>(change.result), &info) != 0) return;
            int opened = static_cast<int>(change.result);
            record.descriptors[opened] = info.st_ino;
            record.positions[opened] = 0;
            CutFolder* folder = folder_of(record, change.handle);
            bool made = (change.value & O_CREAT) && folder && change.name.find('/') == std::string::npos &&
                        !folder->now().count(change.name);
            if (!made) return;
            record.made.insert(change.name);
            state.files[info.st_ino] = CutFile{"", "", attributes_of(info), attributes_of(info)};
            change_entries(folder, [&](Entries& entries) { entries[change.name] = info.st_ino; });
            break;
        }
        case SystemCall::write_file:
            if (!file || change.result <= 0) return;
            if (file->data.size() < record.positions[fd]) file->data.resize(record.positions[fd]);
            file->data.replace(record.positions[fd], change.bytes.size(), change.bytes);
            record.positions[fd] += change.bytes.size();
            break;
        case SystemCall::set_end_of_file:
            if (!file || change.result != 0) return;
            file->data.resize(static_cast<std::size_t>(change.value));
            break;
        case SystemCall::set_attributes:
            if (!file || change.result != 0) return;
            if (change.owner >= 0) file->attributes.owner = static_cast<uid_t>(change.owner);
            if (change.group >= 0) file->attributes.group = static_cast<gid_t>(change.group);
            if (change.owner < 0 && change.group < 0)
                file->attributes.mode = static_cast<unsigned>(change.value) & 0777u;
            break;
        case SystemCall::rename_file:
            if (change.result != 0) return;
            change_entries(folder_of(record, change.handle), [&](Entries& entries) {
                entries[change.to_name] = entries[change.name];
                entries.erase(change.name);
            });
            break;
        case SystemCall::delete_file:
            if (change.result != 0) return;
            change_entries(folder_of(record, change.handle), [&](Entries& entries) { entries.erase(change.name); });
            break;
        case SystemCall::sync_file: {
            if (change.result != 0) return;
            CutFolder* folder = folder_of(record, change.handle);
            if (change.whole_file_system) {
                for (auto& [ino, each] : state.folders) each = CutFolder{each.now(), {}};
                for (auto& [ino, each] : state.files)
                    each.forced_data = each.data, each.forced_attributes = each.attributes;
            } else if (folder) {
                *folder = CutFolder{folder->now(), {}};
            } else if (file) {
                file->forced_data = file->data;
                file->forced_attributes = file->attributes;
            }
            break;
        }
        case SystemCall::close_handle: record.descriptors.erase(fd); return;
        default: return;
    }
    record.cuts.push_back(state);
}

// A host whose report is in `report_folder` under `report_name`, a link
// there when that folder is another.
struct CrashScenario {
    std::string report_folder, report_name;
    unsigned old_mode;
    bool unlistable = false;  // the report's folder may be written but not listed (0300)
};

// The old report's group: one of this user's groups other than its own
// where it has one (root: any), so that a new report given the run's own
// group instead is told.
gid_t group_of_the_old_report() {
    if (geteuid() == 0) return 4242;
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(getgroups(0, nullptr), 0)));
    if (!groups.empty()) groups.resize(static_cast<std::size_t>(std::max(getgroups(static_cast<int>(groups.size()), groups.data()), 0)));
    for (gid_t group : groups)
        if (group != getegid()) return group;
    return getegid();
}

std::string described(const Attributes& attributes) {
    std::ostringstream text;
    text << "mode " << std::oct << attributes.mode << std::dec << ", owner " << attributes.owner << ":"
         << attributes.group;
    return text.str();
}

void set_up_scenario(const CrashScenario& scenario) {
    set_up_host();
    std::filesystem::remove("KetRAV.Rpt");
    if (scenario.report_folder != ".") {
        std::filesystem::create_directory(scenario.report_folder);
        std::filesystem::create_symlink(scenario.report_folder + "/" + scenario.report_name, "KetRAV.Rpt");
    }
}

std::string report_path(const CrashScenario& scenario) { return scenario.report_folder + "/" + scenario.report_name; }

// The distinct states a cut may leave, by model.
struct StateCounts {
    std::set<std::string> in_order, directories_forced_alone, unforced_data_zeros;
};

// The host as the next run after a cut finds it: the same directories (a
// host knows its leftovers elsewhere by its directory's identity), holding
// what `state` kept, the report as `report_file`.
void restore_host(const CrashScenario& scenario, const DiskState& state, const std::map<ino_t, std::string>& paths,
                  ino_t report, const CutFile& report_file) {
    chmod(scenario.report_folder.c_str(), 0755);
    for (const std::string& folder : {std::string("."), scenario.report_folder})
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().filename() != scenario.report_folder) std::filesystem::remove_all(entry.path());
    set_up_scenario(scenario);
    for (const auto& [ino, folder] : state.folders) {
        for (const auto& [name, file] : folder.now()) {
            if (!state.files.count(file)) continue;
            std::string path = paths.at(ino) + "/" + name;
            const CutFile& content = file == report ? report_file : state.files.at(file);
            std::filesystem::remove(path);
            write_bytes(path, content.data);
            chmod(path.c_str(), content.attributes.mode);
            EXPECT_EQ(chown(path.c_str(), content.attributes.owner, content.attributes.group), 0) << path;
        }
    }
    if (scenario.unlistable) chmod(scenario.report_folder.c_str(), 0300);
}

// The report as each model may bring it back: `file`'s data and attributes,
// each as it stands or as last forced.
std::vector<CutFile> reports_by_model(const CutFile& file, bool in_order, bool zeros) {
    std::vector<CutFile> kinds;
    if (in_order) return {file};
    std::string data = file.data;
    if (zeros)
        data = file.forced_data +
               std::string(file.data.size() - std::min(file.data.size(), file.forced_data.size()), '\0');
    std::vector<std::string> kept = {data};
    if (!zeros) kept.push_back(file.forced_data);
    for (const std::string& each : kept)
        for (const Attributes& attributes : {file.attributes, file.forced_attributes})
            kinds.push_back(CutFile{each, file.forced_data, attributes, file.forced_attributes});
    return kinds;
}

// Runs `scenario` once with its disk changes recorded, then checks every
// state a cut may leave, and the next run on each.
StateCounts check_power_cuts(const CrashScenario& scenario) {
    StateCounts counts;
    DiskRecord record;
    ketrav::testing::ScratchDirectory scratch;
    set_up_scenario(scenario);
    const std::string report_there = report_path(scenario);
    write_bytes(report_there, old_report);
    chmod(report_there.c_str(), scenario.old_mode);
    const Attributes old_attributes{scenario.old_mode, geteuid(), group_of_the_old_report()};
    EXPECT_EQ(chown(report_there.c_str(), old_attributes.owner, old_attributes.group), 0);
    std::map<ino_t, std::string> folder_paths;
    ino_t report_folder = 0;
    for (const std::string& folder : {std::string("."), scenario.report_folder}) {
        struct stat info {};
        stat(folder.c_str(), &info);
        folder_paths[info.st_ino] = folder;
        if (folder == ".") record.host = info.st_ino;
        if (folder == scenario.report_folder) report_folder = info.st_ino;
    }
    record.state = state_on_disk({".", scenario.report_folder});
    record.cuts.push_back(record.state);
    if (scenario.unlistable) chmod(scenario.report_folder.c_str(), 0300);
    recording = &record;
    ketrav::platform::observe_disk_changes(record_disk_change);
    int exit_code = ketrav::report::run_report();
    ketrav::platform::observe_disk_changes(nullptr);
    recording = nullptr;
    chmod(scenario.report_folder.c_str(), 0755);
    const std::string new_report = read_bytes(report_there);
    EXPECT_EQ(exit_code, 0);
    EXPECT_EQ(undated(new_report), undated(clean_run().report));

    std::set<std::string> runs_made;
    // What the run made in the report's folder: the temporaries by their
    // names, and nothing else.
    std::set<std::string> temporaries_made;
    for (const std::string& name : record.made)
        if (name.starts_with("KetRAV-")) temporaries_made.insert(name);
    EXPECT_EQ(temporaries_made.size(), scenario.report_folder == "." ? 0u : 1u);
    for (std::size_t cut = 0; cut < record.cuts.size(); ++cut) {
        const DiskState& state = record.cuts[cut];
        bool after_exit = cut + 1 == record.cuts.size() && exit_code == 0;
        // Each prefix of the report folder's unforced changes; the host's
        // other changes, of the run's own files, as they stand.
        const std::size_t unforced = state.folders.at(report_folder).since.size();
        for (std::size_t kept = 0; kept <= unforced; ++kept) {
            DiskState kept_state = state;
            kept_state.folders.at(report_folder).since.resize(kept);
            auto entry = kept_state.folders.at(report_folder).now().find(scenario.report_name);
            std::ostringstream what;
            what << report_there << ", cut after change " << cut << " keeping " << kept << " of " << unforced
                 << " directory changes";
            if (entry == kept_state.folders.at(report_folder).now().end() || !kept_state.files.count(entry->second)) {
                ADD_FAILURE() << what.str() << ": no report";
                continue;
            }
            const CutFile& file = kept_state.files.at(entry->second);
            for (int model = 0; model < 3; ++model) {
                bool in_order = model == 0, zeros = model == 2;
                if (in_order && kept < unforced) continue;
                for (const CutFile& seen : reports_by_model(file, in_order, zeros)) {
                    // The state as the next run finds it: each name, its
                    // data and attributes.
                    std::ostringstream held;
                    for (const auto& [ino, folder] : kept_state.folders)
                        for (const auto& [name, inode] : folder.now()) {
                            const CutFile* there = inode == entry->second          ? &seen
                                                   : kept_state.files.count(inode) ? &kept_state.files.at(inode)
                                                                                   : nullptr;
                            held << ino << "/" << name << "="
                                 << (there ? there->data + "|" + described(there->attributes) : "?") << ";";
                        }
                    // Counted once per model, however many cuts leave it.
                    bool first_seen = (in_order ? counts.in_order
                                       : zeros  ? counts.unforced_data_zeros
                                                : counts.directories_forced_alone)
                                          .insert(held.str())
                                          .second;
                    if (!first_seen) continue;
                    bool old_one = seen.data == old_report && seen.attributes == old_attributes;
                    bool new_one = undated(seen.data) == undated(new_report) && seen.attributes == old_attributes;
                    EXPECT_TRUE(new_one || (old_one && !after_exit))
                        << what.str() << ", model " << model << ": a report of " << seen.data.size() << " bytes, "
                        << described(seen.attributes) << (after_exit ? ", after exit 0" : "");
                    // The next run, once for each state.
                    if (!runs_made.insert(held.str()).second) continue;
                    restore_host(scenario, kept_state, folder_paths, entry->second, seen);
                    EXPECT_EQ(ketrav::report::run_report(), 0) << what.str() << ": the next run";
                    chmod(scenario.report_folder.c_str(), 0755);
                    EXPECT_EQ(undated(read_bytes(report_there)), undated(new_report)) << what.str() << ": the next run";
                    struct stat placed {};
                    EXPECT_EQ(stat(report_there.c_str(), &placed), 0);
                    EXPECT_EQ(described(attributes_of(placed)), described(old_attributes))
                        << what.str() << ": the next run";
                    for (const std::string& folder : {std::string("."), scenario.report_folder})
                        for (const auto& left : std::filesystem::directory_iterator(folder)) {
                            std::string name = left.path().filename().string();
                            // A folder that cannot be listed keeps the cut
                            // run's own temporary, and nothing else.
                            bool kept_unlisted = scenario.unlistable && folder != "." && temporaries_made.count(name);
                            EXPECT_TRUE(name == "logs" || name == "ketrav.ini" || name == "KetRAV.Rpt" ||
                                        name == scenario.report_name || name == scenario.report_folder || kept_unlisted)
                                << what.str() << ": the next run left " << name;
                        }
                }
            }
        }
    }
    return counts;
}
#endif

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

#ifndef _WIN32
// Every state a power cut may leave holds the old report or the new one,
// as the exit code says, and the next run on it ends 0 and clean: a plain
// report, one linked into a posting directory, and one in a posting
// directory its user may write but not list.
TEST(crash_states, EveryCutLeavesTheOldOrTheNewReportAndTheNextRunClean) {
    auto check = [](const CrashScenario& scenario) {
        StateCounts counts = check_power_cuts(scenario);
        std::cout << scenario.report_folder << (scenario.unlistable ? " (unlistable)" : "") << ": "
                  << counts.in_order.size() << " states in order, " << counts.directories_forced_alone.size()
                  << " with directories and files forced alone, " << counts.unforced_data_zeros.size()
                  << " with unforced data as zeros\n";
    };
    check(CrashScenario{".", "KetRAV.Rpt", 0640});
    check(CrashScenario{"posting", "traffic.rpt", 0644});
    // A folder of mode 0300 can be listed by root all the same: the run on
    // it is made in a child that has given up root's power over modes.
    std::cout.flush();
    std::fflush(stdout);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct rights[2] = {};
        if (syscall(SYS_capget, &header, rights) == 0) {
            rights[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
            syscall(SYS_capset, &header, rights);
        }
        check(CrashScenario{"posting", "traffic.rpt", 0644, true});
        std::cout.flush();
        std::fflush(stdout);
        std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the folder that cannot be listed: " << status;
}
#endif

}  // namespace
