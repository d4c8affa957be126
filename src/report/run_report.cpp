// The run sequence. It never looks at an error code: a failed step leaves a
// neutral result and the run goes on with the next.
#include "report/run_report.h"

#include "report/log_scan.h"
#include "report/run_values.h"
#include "report/sorting_step.h"
#include "report/traffic_report.h"
#include "services/file_names.h"
#include "services/text_files.h"

namespace ketrav::report {
namespace {

using namespace services;

// The first line of "ketrav.ini", when it names an existing file, is the log.
void read_configuration(RunValues& run) {
    if (file_exists(configuration_file) != truth_true) return;
    open_for_reading(configuration_file, configuration_slot);
    run.line_buffer = read_line(configuration_slot);
    if (file_exists(run.line_buffer) == truth_true) run.log_path = run.line_buffer;
    close_file(configuration_slot);
}

}  // namespace

int run_report() {
    RunValues run;
    run.banner = banner_text;
    run.log_path = default_log_path;
    read_configuration(run);

    open_for_reading(run.log_path, reading_slot);
    open_for_writing(unsorted_records_file, writing_slot);
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
    open_for_writing(report_file, writing_slot);
    write_traffic_report(run);
    close_all();
    delete_file(unsorted_records_file);
    delete_file(sorted_records_file);
    return 0;
}

}  // namespace ketrav::report
