// ketrav.ini's first line: the log it names, or the default; a line that
// names no file (none there, a NUL in it) leaves the default; a ketrav.ini
// that is there but cannot be read is no configuration to go on from.
#include "report/configuration.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_io.h"
#include "report/run_values.h"
#include "test_support.h"

using ketrav::report::read_configuration;
using ketrav::report::RunValues;
using ketrav::testing::write_bytes;

namespace {

std::string configured_log(bool& read) {
    RunValues run;
    run.log_path = ketrav::report::default_log_path;
    read = read_configuration(run);
    return run.log_path;
}

TEST(Configuration, TheFirstLineNamesTheLogOrTheDefaultStays) {
    ketrav::testing::ScratchDirectory scratch;
    const std::string fallback = ketrav::report::default_log_path;
    write_bytes("mine.log", "");
    struct Case {
        std::string ini, log;
    };
    bool read = false;
    EXPECT_EQ(configured_log(read), fallback);  // no ketrav.ini
    EXPECT_TRUE(read);
    for (const Case& c :
         {Case{"mine.log\r\n", "mine.log"}, Case{"mine.log\r\nother.log\r\n", "mine.log"},
          Case{"missing.log\r\n", fallback}, Case{"", fallback}, Case{std::string("mine.log\0.old\r\n", 15), fallback},
          Case{std::string("mine.log\0", 9), fallback}}) {
        write_bytes("ketrav.ini", c.ini);
        EXPECT_EQ(configured_log(read), c.log) << c.ini;
        EXPECT_TRUE(read) << c.ini;
    }
#ifndef _WIN32
    // A trailing space is part of the name (Windows drops it, and finds the
    // file).
    write_bytes("ketrav.ini", "mine.log \r\n");
    EXPECT_EQ(configured_log(read), fallback);
#endif
    // One that another program holds cannot be read: no run goes on from it.
    write_bytes("ketrav.ini", "mine.log\r\n");
    ketrav::platform::OsHandle holder;
    ASSERT_TRUE(ketrav::platform::open_file("ketrav.ini", ketrav::platform::FileAccess::read, holder).ok);
    configured_log(read);
    EXPECT_FALSE(read);
    ketrav::platform::close_handle(holder);
}

}  // namespace
