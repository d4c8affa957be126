// POSIX backend of console.h.
#include "platform/console.h"

#include <unistd.h>

#include <csignal>

namespace ketrav::platform {
namespace {

// A stop asked for (a scheduler's time limit, a shutdown): the process ends
// at once, as after a fatal error. The sorting command's processes end with
// it; the report in place is the old one, as the new one is put there only
// when whole.
void end_on_termination(int) { _exit(255); }

}  // namespace

void ignore_console_breaks() {
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGQUIT, SIG_IGN);
    std::signal(SIGHUP, SIG_IGN);
    // A file-size limit is then a failed write, which the run goes on from.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
}

void end_with_255_on_termination() { std::signal(SIGTERM, end_on_termination); }

// POSIX streams carry bytes unchanged already.
void use_binary_standard_streams() {}

}  // namespace ketrav::platform
