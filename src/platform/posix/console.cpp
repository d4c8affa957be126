// POSIX backend of console.h.
#include "platform/console.h"

#include <csignal>

namespace ketrav::platform {

void ignore_console_breaks() {
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGQUIT, SIG_IGN);
    std::signal(SIGHUP, SIG_IGN);
}

// POSIX streams carry bytes unchanged already.
void use_binary_standard_streams() {}

}  // namespace ketrav::platform
