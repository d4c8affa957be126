// run_command over the OS layer's process calls.
#include "services/command_runner.h"

#include <new>

#include "platform/process.h"
#include "services/held_claim.h"
#include "services/run_time_errors.h"
#include "services/service_locks.h"

namespace ketrav::services {

namespace {

struct CommandResult {
    std::int32_t value = 0;  // the exit code, or the process id when not waited for
    bool ran = false;        // started, and waited for when asked
};

CommandResult run(const std::string& command_line, std::uint16_t window_style, bool wait, bool inherit_handles) {
    CommandResult result;
    platform::ProcessStart start;
    try {
        start.command_line = command_line.substr(0, longest_command_line);
    } catch (const std::bad_alloc&) {
        record_memory_failure();
        return result;
    }
    start.show_window = static_cast<std::uint16_t>(window_style & 0x7FFF);
    start.inherit_handles = inherit_handles;
    start.claim = held_claim();
    platform::ProcessHandles started;
    platform::OsStatus created = os_call([&] { return platform::create_process(start, started); });
    if (!created.ok) {
        record_error(os_error_code(created.error));
        return result;
    }
    result.value = static_cast<std::int32_t>(started.process_id);
    result.ran = true;
    if (wait) {
        // run_command hands back what the system says; the caller that asks
        // whether the command succeeded learns of a failed wait too.
        platform::OsStatus waited = os_call([&] { return platform::wait_for_process(started.process); });
        std::uint32_t exit_code = 0;
        platform::OsStatus asked = os_call([&] { return platform::exit_code_of_process(started.process, exit_code); });
        result.value = static_cast<std::int32_t>(exit_code);
        result.ran = waited.ok && asked.ok;
    }
    os_call([&] { return platform::close_handle(started.process); });
    os_call([&] { return platform::close_handle(started.thread); });
    return result;
}

}  // namespace

std::int32_t run_command(const std::string& command_line, std::uint16_t window_style, bool wait, bool inherit_handles) {
    return run(command_line, window_style, wait, inherit_handles).value;
}

bool run_command_successfully(const std::string& command_line, std::uint16_t window_style) {
    CommandResult result = run(command_line, window_style, true, false);
    return result.ran && result.value == 0;
}

}  // namespace ketrav::services
