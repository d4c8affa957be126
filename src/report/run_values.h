// The working values and fixed names of one run, shared by its phases.
#pragma once

#include <cstdint>
#include <string>

#include "ketrav_version.h"
#include "services/text_files.h"

namespace ketrav::report {

struct RunValues {
    std::string banner;
    std::string log_path;
    std::string line_buffer;  // every line read, in every phase
    std::int32_t total = 0;
    std::string first_date;
    std::string last_date;
    std::string current_area;
    std::int32_t area_count = 0;
    // Records the second pass read: the total again when every record came
    // back from the sort.
    std::int32_t records_sorted = 0;
};

// One more in a 32-bit count: wraps as a 32-bit count would, without
// undefined behaviour.
inline void count_one(std::int32_t& count) {
    count = static_cast<std::int32_t>(static_cast<std::uint32_t>(count) + 1u);
}

inline constexpr const char* banner_text = " KetRAV v" KETRAV_REPORT_VERSION " ";
// The header's columns are laid out for a banner of 15 characters.
static_assert(std::char_traits<char>::length(banner_text) == 15, "the banner must stay 15 characters");
inline constexpr const char* configuration_file = "ketrav.ini";
inline constexpr const char* default_log_path = "logs\\qtoss.log";
inline constexpr const char* unsorted_records_file = "KetRAV1.txt";
inline constexpr const char* sorted_records_file = "KetRAV2.txt";
inline constexpr const char* report_file = "KetRAV.Rpt";
// The new report until it is whole: written beside the report and then put
// in its place in one step, so that a run that fails midway leaves the old
// report standing. (Beside a report that a link puts in another directory,
// the new one has a name of this host directory's own.)
inline constexpr const char* new_report_file = "KetRAV3.txt";
// Locked while a run is under way here, and removed when it ends.
inline constexpr const char* lock_file = "KetRAV.lck";
inline constexpr const char* sorting_command = "cmd /c type KetRAV1.txt |sort >KetRAV2.txt";

// Slot 1 holds the file a pass reads, slot 2 the file it writes, slot 3 the
// configuration file while it is read, slot 4 a report that is a FIFO or a
// device (a posting pipe) for the whole run.
inline constexpr services::Slot reading_slot = 1;
inline constexpr services::Slot writing_slot = 2;
inline constexpr services::Slot configuration_slot = 3;
inline constexpr services::Slot report_stream_slot = 4;

}  // namespace ketrav::report
