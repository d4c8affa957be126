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
    // No file's name holds a NUL: the system would take the name as ending
    // there, and read a file the line does not name.
    bool nameable = run.line_buffer.find('\0') == std::string::npos;
    if (nameable) take_name_from(configuration_slot, run.line_buffer);
    Presence named = nameable ? file_presence(run.line_buffer) : Presence::absent;
    if (named == Presence::present) run.log_path = run.line_buffer;
    return close_file(configuration_slot) && named != Presence::unknown;
}

}  // namespace ketrav::report
