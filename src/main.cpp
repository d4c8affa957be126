// Process entry: start-up, then the run.
#include <cstdio>
#include <string>

#include "platform/command_line.h"
#include "platform/console.h"
#include "platform/file_io.h"
#include "platform/floating_point.h"
#include "platform/process.h"
#include "report/command_request.h"
#include "report/run_report.h"
#include "services/date_and_command_tail.h"

#ifdef __ELF__
namespace {
// A stop asked for in the program's first moments ends it as one asked
// for later does, and a break or a hang-up is ignored as later: the
// handlers go in as early as the C library lets a program's own code run,
// before any constructor.
void end_with_255_from_the_start(int, char**, char**) {
    ketrav::platform::end_with_255_on_termination();
    ketrav::platform::ignore_console_breaks();
}
__attribute__((section(".preinit_array"), used)) void (*const early_start)(int, char**,
                                                                           char**) = end_with_255_from_the_start;
}  // namespace
#endif

int main(int argc, char** argv) {
    // Before anything else, where no earlier moment was to be had; also
    // before an answer to "--help", so that a reader gone makes it end
    // with 1 rather than by a signal.
    ketrav::platform::ignore_console_breaks();
    ketrav::platform::remember_program_invocation(argc > 0 ? argv[0] : nullptr);
    ketrav::services::locate_command_tail(ketrav::platform::process_command_line(argc, argv));
    // "ketrav --help" and its kin answer and end: nothing is read, written
    // or deleted, and no report gets such a title by mistake.
    ketrav::report::CommandRequest request = ketrav::report::command_request(ketrav::services::command_tail());
    if (request != ketrav::report::CommandRequest::report) {
        std::string text = request == ketrav::report::CommandRequest::usage ? ketrav::report::usage_text()
                                                                            : ketrav::report::version_text();
        bool printed = std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
        ketrav::platform::exit_process(printed ? 0 : 1);
    }
    ketrav::platform::keep_owner_access_to_new_files();
    ketrav::platform::set_floating_point_control(ketrav::platform::x87_run_control_word);
    ketrav::platform::exit_process(static_cast<std::uint32_t>(ketrav::report::run_report()));
}
