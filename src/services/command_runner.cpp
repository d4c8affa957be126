// run_command over the OS layer's process calls.
#include "services/command_runner.h"

#include <new>

#include "platform/process.h"
#include "services/run_time_errors.h"
#include "services/service_locks.h"

namespace ketrav::services {

std::int32_t run_command(const std::string& command_line, std::uint16_t window_style, bool wait, bool inherit_handles) {
    platform::ProcessStart start;
    try {
        start.command_line = command_line.substr(0, longest_command_line);
    } catch (const std::bad_alloc&) {
        record_data_loss(run_time_code::out_of_memory);
        return 0;
    }
    start.show_window = static_cast<std::uint16_t>(window_style & 0x7FFF);
    start.inherit_handles = inherit_handles;
    platform::ProcessHandles started;
    platform::OsStatus created = os_call([&] { return platform::create_process(start, started); });
    if (!created.ok) {
        record_error(os_error_code(created.error));
        return 0;
    }
    std::uint32_t result = started.process_id;
    if (wait) {
        // Neither result is examined: the exit code is what the system says.
        os_call([&] { return platform::wait_for_process(started.process); });
        std::uint32_t exit_code = 0;
        os_call([&] { return platform::exit_code_of_process(started.process, exit_code); });
        result = exit_code;
    }
    os_call([&] { return platform::close_handle(started.process); });
    os_call([&] { return platform::close_handle(started.thread); });
    return static_cast<std::int32_t>(result);
}

}  // namespace ketrav::services
