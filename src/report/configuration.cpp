// ketrav.ini, read as the sysop's editor wrote it (services/name_line.h).
#include "report/configuration.h"

#include "services/file_names.h"
#include "services/name_line.h"
#include "services/text_files.h"

namespace ketrav::report {

using namespace services;

bool read_configuration(RunValues& run) {
    Presence configuration = file_presence(configuration_file);
    if (configuration == Presence::absent) return true;
    if (configuration == Presence::unknown || open_for_reading(configuration_file, configuration_slot) != 0)
        return false;
    run.line_buffer = name_in_first_line(read_bytes(configuration_slot, name_line_bytes));
    Presence named = file_presence(run.line_buffer);
    if (named == Presence::present) run.log_path = run.line_buffer;
    return close_file(configuration_slot) && named != Presence::unknown;
}

}  // namespace ketrav::report
