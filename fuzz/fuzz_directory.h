// The fuzzers' own directory under the system's temporary one, open to its
// owner alone: root opens nothing another user could have put in its way,
// and makes no file in a directory every user may write.
#pragma once

#include <filesystem>
#include <system_error>

inline std::filesystem::path ketrav_fuzz_directory() {
    std::filesystem::path directory = std::filesystem::temp_directory_path() / "ketrav-fuzz";
    std::error_code ignored;
    std::filesystem::create_directories(directory, ignored);
    std::filesystem::permissions(directory, std::filesystem::perms::owner_all, ignored);
    return directory;
}
