// Where a program is looked up on POSIX: never in the current directory.
#include "platform/posix/program_lookup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"

TEST(ProgramLookup, SearchPlacesNeverNameTheCurrentDirectory) {
    using ketrav::platform::posix::program_search_places;
    EXPECT_EQ(program_search_places("/opt/k/bin", "/usr/libexec/ketrav", "/usr/bin::.:./:./.:logs:bin/../x:/bin"),
              (std::vector<std::string>{"/opt/k/bin", "/opt/k/bin/../libexec/ketrav", "/usr/libexec/ketrav", "/usr/bin",
                                        "/bin"}));
    // The own directory unknown: only the configured place and absolute
    // PATH entries; a relative configured place counts for nothing.
    EXPECT_EQ(program_search_places("", "/usr/libexec/ketrav", "logs:/usr/bin"),
              (std::vector<std::string>{"/usr/libexec/ketrav", "/usr/bin"}));
    EXPECT_EQ(program_search_places("", "libexec", nullptr), std::vector<std::string>{});
}

TEST(ProgramLookup, BareNamesAreFoundOnlyInTheSearchPlaces) {
    ketrav::testing::ScratchDirectory scratch;
    ketrav::testing::write_bytes("planted", "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions("planted", std::filesystem::perms::owner_all);
    std::string path;
    EXPECT_EQ(ketrav::platform::posix::find_program("planted", path).error, ketrav::platform::error_file_not_found);
    EXPECT_TRUE(path.empty());
    // With its directory, a name is taken as it is; '\' counts as '/'.
    EXPECT_TRUE(ketrav::platform::posix::find_program(".\\planted", path).ok);
    EXPECT_EQ(path, "./planted");
    // The stand-ins beside the running program are found by their bare names.
    EXPECT_TRUE(ketrav::platform::posix::find_program("sort", path).ok);
    EXPECT_EQ(path, ketrav::testing::program_path("sort"));
}
