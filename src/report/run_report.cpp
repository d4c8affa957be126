// The run sequence. A failed step leaves a neutral result and the run goes
// on with the next; what failed decides only the exit code, so that a
// scheduler never posts a report that is not a whole account of the log.
#include "report/run_report.h"

#include <cstdint>
#include <string>

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

// The first line of "ketrav.ini", when it names an existing file, is the log.
// False when the file is there but could not be opened.
bool read_configuration(RunValues& run) {
    if (file_exists(configuration_file) != truth_true) return true;
    open_for_reading(configuration_file, configuration_slot);
    bool opened = slot_in_use(configuration_slot);
    run.line_buffer = read_line(configuration_slot);
    if (file_exists(run.line_buffer) == truth_true) run.log_path = run.line_buffer;
    close_file(configuration_slot);
    return opened;
}

// Opens the log in the reading slot. A log that is not there reads as an
// empty one (a host that has not tossed yet); false when it is there but
// could not be opened (held by another program, access denied).
bool open_log(const std::string& path) {
    open_for_reading(path, reading_slot);
    if (slot_in_use(reading_slot)) return true;
    int code = last_error();
    return code == run_time_code::file_not_found || code == run_time_code::path_not_found;
}

void delete_records_files() {
    delete_file(unsorted_records_file);
    delete_file(sorted_records_file);
}

// Writes the report under its temporary name and puts it in the report's
// place once it is whole; the old report stays otherwise. False when the
// report could not be put in place.
bool write_report(RunValues& run) {
    std::string target, temporary;
    if (!replacement_names(report_file, new_report_file, target, temporary)) return false;
    // A link planted in its place goes first, as for the other temporary files.
    delete_file(temporary);
    open_for_writing(temporary, writing_slot);
    bool opened = slot_in_use(writing_slot);
    std::uint32_t losses_before = data_losses();
    write_traffic_report(run);
    close_all();
    if (opened && data_losses() == losses_before && replace_file(temporary, target)) return true;
    // Also after a refused open, which may have made the file.
    delete_file(temporary);
    return false;
}

}  // namespace

int run_report() {
    // Another run under way here: its files and report are left alone.
    if (!claim_directory()) return exit_report_not_whole;
    std::uint32_t losses_before = data_losses();
    RunValues run;
    run.banner = banner_text;
    run.log_path = default_log_path;
    bool configuration_read = read_configuration(run);
    // What a killed run left, or a link planted in the place of a temporary
    // file, goes before anything is written; the link's target stays as it is.
    delete_records_files();

    bool log_opened = open_log(run.log_path);
    open_for_writing(unsorted_records_file, writing_slot);
    bool records_opened = slot_in_use(writing_slot);
    run.total = 0;
    run.first_date.clear();
    run.last_date.clear();
    // A log with no lines at all then leaves the last date empty, rather
    // than cutting it from the configuration line.
    run.line_buffer.clear();
    scan_log(run);
    close_all();

    sort_area_records();

    open_for_reading(sorted_records_file, reading_slot);
    bool report_placed = write_report(run);
    // Every read and write whole, and every record back from the sort: the
    // report's areas then add up to its total.
    bool whole = configuration_read && log_opened && (records_opened || run.total == 0) && report_placed &&
                 data_losses() == losses_before && run.records_sorted == run.total;
    delete_records_files();
    release_directory();
    return whole ? exit_whole_report : exit_report_not_whole;
}

}  // namespace ketrav::report
