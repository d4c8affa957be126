// Console control: the run cannot be broken off from the keyboard.
#pragma once

namespace ketrav::platform {

// Ctrl+C, Ctrl+Break and console close are answered as handled on Windows;
// SIGINT, SIGQUIT and SIGHUP are ignored on POSIX, SIGXFSZ too (a file-size
// limit makes a write fail instead), SIGPIPE too (a reader that leaves
// makes a write fail instead).
void ignore_console_breaks();

// SIGTERM ends the process with 255 from now on (POSIX; Windows has no
// such stop). Called before anything else of the program runs.
void end_with_255_on_termination();

// Standard input and output carry bytes unchanged (no CR LF translation).
void use_binary_standard_streams();

}  // namespace ketrav::platform
