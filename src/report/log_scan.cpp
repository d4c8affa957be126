// Import lines to area records: the tag after the first " to ", filled to
// 37 columns, then the line's 15-character time stamp.
#include "report/log_scan.h"

#include <string>

#include "services/text.h"
#include "services/text_files.h"

namespace ketrav::report {
namespace {

using namespace services;

// Texts, not C strings: find() is called with them on every line.
const std::string import_marker = "  Import #";
const std::string tag_marker = " to ";
constexpr std::int32_t record_tag_columns = 37;

}  // namespace

void scan_log(RunValues& run) {
    // The padding of each record, in memory kept from record to record.
    std::string padding;
    while (at_end(reading_slot) == truth_false) {
        read_line_into(reading_slot, run.line_buffer);
        const std::string& line = run.line_buffer;
        if (find(line, import_marker, 1) == 0) continue;
        std::int32_t p = find(line, tag_marker, 1);
        // The rest of the line from position p + 4, as substring would cut it,
        // but left in the line: a tag as long as the line costs no copy.
        std::size_t tag_start = static_cast<std::size_t>(p) + 3;
        std::string_view tag = tag_start < line.size() ? std::string_view(line).substr(tag_start) : std::string_view();
        write_text(writing_slot, tag);
        fill_spaces(padding, record_tag_columns - count_of(tag.size()));
        write_text(writing_slot, padding);
        write_text(writing_slot, substring(line, 3, 15));
        end_line(writing_slot);
        count_one(run.total);
        if (run.total == 1) run.first_date = substring(line, 3, 6);
    }
    run.last_date = substring(run.line_buffer, 3, 6);
}

}  // namespace ketrav::report
