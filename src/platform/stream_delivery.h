// A report delivered into a stream (a posting pipe, a device) rather than
// put in a file's place: opened at the run's start, written once the new
// report is whole, and all of it within one deadline, however its reader
// paces itself.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "platform/os_status.h"

namespace ketrav::platform {

// A target that is no regular file (a FIFO, a device: a posting pipe) is
// written into rather than replaced. `name` is found as open_replacement
// finds it; when it reaches such a target, that is opened for writing in
// `stream` at once, without waiting for a reader (none: the open fails, so
// a run with no one to post to stops before it does its work), and
// `is_stream` is set. A regular file, or none, opens nothing.
OsStatus open_stream_target(const std::string& name, OsHandle& stream, bool& is_stream);

// The whole delivery, from its first byte written to its reader's taking
// the last, ends within this time or fails: a posting tool that reads at
// all takes a report of some kilobytes in far less, and a reader that
// takes a byte now and then can no longer hold the run, and the claim on
// its directory that every other scheduled run waits for, as long as it
// likes. Measured on a clock no change of the date moves.
inline constexpr std::chrono::milliseconds stream_delivery_time{120000};
using DeliveryDeadline = std::chrono::steady_clock::time_point;

// Writes every byte of `data` into the stream, however many writes it
// takes: a write cut short (a pause of this process, a signal) goes on
// where it stopped. Fails (121) at `deadline` with bytes still unwritten,
// or as the write fails (the reader gone).
OsStatus write_to_stream(OsHandle stream, const char* data, std::size_t size, DeliveryDeadline deadline);

// Returns once the reader of the FIFO `stream` has taken every byte
// written to it, however it then closes; fails (31) when it left with
// bytes untaken, and (121) when bytes are still untaken at `deadline`. A
// device: at once.
OsStatus wait_until_taken(OsHandle stream, DeliveryDeadline deadline);

}  // namespace ketrav::platform
