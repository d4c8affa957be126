// Windows backend of console.h.
#include "platform/console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

namespace ketrav::platform {
namespace {

BOOL WINAPI answer_as_handled(DWORD event) {
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT;
}

}  // namespace

void ignore_console_breaks() { SetConsoleCtrlHandler(answer_as_handled, TRUE); }

void end_with_255_on_termination() {}

void use_binary_standard_streams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace ketrav::platform
