// The report: header, period, centred title, one line per area, total.
// Every line is a series of writes ended by one line end.
#include "report/traffic_report.h"

#include "report/area_share.h"
#include "services/date_and_command_tail.h"
#include "services/number_pictures.h"
#include "services/text.h"
#include "services/text_files.h"

namespace ketrav::report {
namespace {

using namespace services;

constexpr const char* count_picture = "###,###";
constexpr const char* share_picture = "###.#";
constexpr std::int32_t area_key_columns = 36;
constexpr std::int32_t leader_columns = 37;
constexpr std::int32_t rule_length = 79;

void write(const std::string& text) { write_text(writing_slot, text); }
void end() { end_line(writing_slot); }

void write_rule() {
    write(repeat_char(rule_length, "_"));
    end();
}

void write_header(const RunValues& run) {
    end();
    write(run.banner);
    write(spaces(5));
    write("Quelin Inbound Echomail Traffic Report ");
    write(spaces(10));
    write(date_stamp());
    end();
    end();
    write(spaces(29));
    write("From ");
    write(run.first_date);
    write(" to ");
    write(run.last_date);
    end();
    end();
    write(spaces(title_indent(text_length(command_tail()))));
    write(command_tail());
    end();
    end();
    write_rule();
    end();
}

void write_area_line(const std::string& area, std::int32_t count, std::int32_t total) {
    double share = area_share(count, total);
    write(area);
    write(" ");
    write(repeat_char(leader_columns - text_length(area), "."));
    write(" : ");
    write(format_picture(count_picture, static_cast<double>(count)));
    if (share > 0) {
        write(" ");
        write(format_picture(share_picture, share));
        write("%");
    }
    end();
}

void write_footer(const RunValues& run) {
    end();
    write_rule();
    end();
    write("    Total Messages = ");
    write(format_picture(count_picture, static_cast<double>(run.total)));
    end();
    end();
}

}  // namespace

void write_traffic_report(RunValues& run) {
    write_header(run);
    run.current_area.clear();
    run.area_count = 0;
    run.records_sorted = 0;
    while (at_end(reading_slot) == truth_false) {
        read_line_into(reading_slot, run.line_buffer);
        count_one(run.records_sorted);
        // The key stays a view into the record until the area changes: most
        // records repeat the area before them.
        std::string_view key = trimmed_prefix(run.line_buffer, area_key_columns);
        if (key == run.current_area) {
            count_one(run.area_count);
            continue;
        }
        // Records with a blank tag form a group that is counted but never
        // listed.
        if (!equal_text(run.current_area, "")) write_area_line(run.current_area, run.area_count, run.total);
        set_text(run.current_area, key);
        run.area_count = 1;
    }
    if (!equal_text(run.current_area, "")) write_area_line(run.current_area, run.area_count, run.total);
    write_footer(run);
}

}  // namespace ketrav::report
