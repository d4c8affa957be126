// Console control: the run cannot be broken off from the keyboard.
#pragma once

namespace ketrav::platform {

// Ctrl+C, Ctrl+Break and console close are answered as handled on Windows;
// SIGINT, SIGQUIT and SIGHUP are ignored on POSIX, SIGXFSZ too (a file-size
// limit makes a write fail instead), and SIGTERM ends the process with 255.
void ignore_console_breaks();

// Standard input and output carry bytes unchanged (no CR LF translation).
void use_binary_standard_streams();

}  // namespace ketrav::platform
