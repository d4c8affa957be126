// The run sequence. A run either puts a whole report in the place of the
// old one and ends with 0, or leaves the old report exactly as it was and
// ends with 1: whether the report is whole is decided here alone, from what
// each step hands back. A missing log is no failure: it reads as an empty
// one (a host that has not tossed yet).
#include "report/run_report.h"

#include <cstdint>
#include <string>
#include <vector>

#include "report/configuration.h"
#include "report/log_scan.h"
#include "report/run_values.h"
#include "report/sorting_step.h"
#include "report/traffic_report.h"
#include "services/directory_claim.h"
#include "services/file_names.h"
#include "services/run_time_errors.h"
#include "services/text_files.h"

namespace ketrav::report {
namespace {

using namespace services;

// The run's files besides the new report, which the report must never land on.
std::vector<std::string> own_files() { return {unsorted_records_file, sorted_records_file, lock_file}; }

// What a killed run left, or a link planted in the place of a temporary
// file, goes before anything is written; the link's target stays as it is.
// False when one is still there: it would be read as this run's own.
bool remove_leftovers() {
    for (const char* name : {unsorted_records_file, sorted_records_file, new_report_file}) {
        delete_file(name);
        if (file_presence(name) != Presence::absent) return false;
    }
    return true;
}

// The first pass, from the log to the unsorted records. A log that is not
// there reads as an empty one; false when it is there but could not be
// read whole, when what was read of it is no longer there as it was read
// (cut under the run, even when written again past that point since), or
// a record was not written. (A log that grew under the run is whole as far
// as it was read: the lines added are the next run's. One renamed away and
// made anew is still the file that was opened.)
bool scan_records(RunValues& run) {
    int log_opened = open_for_checked_reading(run.log_path, reading_slot);
    bool log_missing = log_opened == run_time_code::file_not_found || log_opened == run_time_code::path_not_found;
    bool whole = (log_opened == 0 || log_missing) && open_for_writing(unsorted_records_file, writing_slot) == 0;
    run.total = 0;
    run.first_date.clear();
    run.last_date.clear();
    // A log with no lines at all then leaves the last date empty, rather
    // than cutting it from the configuration line.
    run.line_buffer.clear();
    if (whole) {
        scan_log(run);
        whole = still_holds_the_bytes_read(reading_slot);
    }
    // A posting pipe opened at the start stays open for the report.
    bool closed = close_file(writing_slot);
    closed = close_file(reading_slot) && closed;
    return closed && whole;
}

// The second pass: the report, written beside its place and put there only
// when every record came back from the sort and every byte was written. A
// posting pipe gets it once it is whole, copied from a file of its own here.
bool write_report(RunValues& run, std::uint32_t memory_failures_before) {
    bool to_stream = slot_in_use(report_stream_slot);
    if (open_for_reading(sorted_records_file, reading_slot) != 0) return false;
    int opened = to_stream ? open_for_writing(new_report_file, writing_slot)
                           : open_replacement(report_file, new_report_file, own_files(), writing_slot);
    // Whatever this leaves open run_report closes: a new report that is not
    // whole goes then, and the old one stays as it was.
    if (opened != 0) return false;
    write_traffic_report(run);
    bool whole =
        close_file(reading_slot) && run.records_sorted == run.total && memory_failures() == memory_failures_before;
    if (!whole) return false;
    if (!to_stream) return complete_replacement(writing_slot);
    // Once the reader has it all, the run is whole whatever becomes of the
    // file here: the next run removes what is left of it.
    return close_file(writing_slot) && deliver_to_stream(new_report_file, reading_slot, report_stream_slot);
}

void delete_records_files() {
    delete_file(unsorted_records_file);
    delete_file(sorted_records_file);
    // Left only by a report made for a posting pipe.
    delete_file(new_report_file);
}

}  // namespace

int run_report() {
    // Another run under way here, or no way to know that none is: its files
    // and the report are left alone.
    if (!claim_directory(lock_file)) return exit_report_not_whole;
    std::uint32_t memory_failures_before = memory_failures();
    RunValues run;
    run.banner = banner_text;
    run.log_path = default_log_path;
    // Each step only after every step before it was whole: a run that
    // cannot make a whole report stops, and changes nothing of the old one.
    // A posting pipe is opened before the log is read: with no reader there,
    // the run stops before it does its work.
    // A report that leads onto one of the run's own files is refused before
    // the leftovers go: what it leads to is no leftover, and stays.
    bool report_allowed = check_replacement_target(report_file, new_report_file, own_files()) == 0;
    bool whole = report_allowed && remove_leftovers() && read_configuration(run) &&
                 open_stream_target(report_file, report_stream_slot) == 0 && scan_records(run) && sort_area_records() &&
                 write_report(run, memory_failures_before);
    close_all();
    if (report_allowed) delete_records_files();
    release_directory();
    return whole ? exit_whole_report : exit_report_not_whole;
}

}  // namespace ketrav::report
