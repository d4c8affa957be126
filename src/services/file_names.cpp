// file_exists and delete_file over the OS layer's find.
#include "services/file_names.h"

#include <new>

#include "platform/find_files.h"
#include "services/run_time_errors.h"
#include "services/service_locks.h"
#include "services/text_files.h"
#include "services/truth.h"

namespace ketrav::services {
namespace {

constexpr std::size_t longest_pattern = 256;

bool is_separator(char c) { return c == '\\' || c == '/' || c == ':'; }

// All of the name up to and including its last separator; '/' counts as
// one too, since both systems accept it.
std::string directory_part(const std::string& name) {
    std::size_t last = name.find_last_of("\\/:");
    return last == std::string::npos ? std::string() : name.substr(0, last + 1);
}

// Deletes the matches of an open search. Returns the code that ends the
// operation, or 0.
int delete_matches(const std::string& directory, platform::OsHandle search, platform::FoundEntry entry) {
    constexpr std::uint32_t left_alone = platform::attribute_hidden | platform::attribute_system |
                                         platform::attribute_volume_label | platform::attribute_directory;
    for (;;) {
        if (!(entry.attributes & left_alone)) {
            std::string target = directory + entry.name;
            platform::OsStatus deleted = os_call([&] { return platform::delete_file(target); });
            if (!deleted.ok) return os_error_code(deleted.error);
        }
        platform::OsStatus next = os_call([&] { return platform::find_next(search, entry); });
        if (!next.ok) {
            int code = os_error_code(next.error);
            return code == run_time_code::file_not_found ? 0 : code;
        }
    }
}

// The codes of a search that says the name is not there, or cannot be a
// file's name at all; any other failure leaves the question open.
bool names_nothing(platform::OsError error) {
    constexpr platform::OsError invalid_name = 123, bad_path_name = 161;
    switch (error) {
        case platform::error_file_not_found:
        case platform::error_path_not_found:
        case platform::error_no_more_files:
        case platform::error_invalid_parameter:
        case platform::error_filename_too_long:
        case invalid_name:
        case bad_path_name: return true;
        default: return false;
    }
}

}  // namespace

Presence file_presence(const std::string& given_name) {
    std::string name;
    try {
        name = given_name.substr(0, longest_file_name);
    } catch (const std::bad_alloc&) {
        return Presence::unknown;
    }
    if (name.empty() || name.find_first_of("?*") != std::string::npos || name.back() == ':') return Presence::absent;
    platform::OsHandle search;
    platform::FoundEntry entry;
    platform::OsStatus found = os_call([&] { return platform::find_first(name, search, entry); });
    if (!found.ok) return names_nothing(found.error) ? Presence::absent : Presence::unknown;
    os_call([&] { return platform::find_close(search); });
    constexpr std::uint32_t not_a_file = platform::attribute_directory | platform::attribute_volume_label;
    return (entry.attributes & not_a_file) ? Presence::absent : Presence::present;
}

std::int32_t file_exists(const std::string& name) {
    return file_presence(name) == Presence::present ? truth_true : truth_false;
}

void delete_file(const std::string& given_name) {
    std::string pattern;
    std::string directory;
    try {
        pattern = given_name.substr(0, longest_pattern);
        if (pattern.empty()) return;
        if (is_separator(pattern.back())) pattern += "*.*";
        directory = directory_part(pattern);
    } catch (const std::bad_alloc&) {
        return record_memory_failure();
    }
    platform::OsHandle search;
    platform::FoundEntry entry;
    platform::OsStatus found = os_call([&] { return platform::find_first(pattern, search, entry); });
    if (!found.ok) return record_error(os_error_code(found.error));
    int failure = 0;
    try {
        failure = delete_matches(directory, search, entry);
    } catch (const std::bad_alloc&) {
        failure = run_time_code::out_of_memory;
    }
    os_call([&] { return platform::find_close(search); });
    if (failure) record_error(failure);
}

}  // namespace ketrav::services
