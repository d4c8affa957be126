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

// A stop that came before the handler could be in place (held blocked by
// the parent over the exec) is taken now, as one asked for later would be.
void end_with_255_on_termination() {
    std::signal(SIGTERM, end_on_termination);
    sigset_t termination;
    sigemptyset(&termination);
    sigaddset(&termination, SIGTERM);
    sigprocmask(SIG_UNBLOCK, &termination, nullptr);
}

// POSIX streams carry bytes unchanged already.
void use_binary_standard_streams() {}

}  // namespace ketrav::platform
