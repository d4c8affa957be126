// The name on ketrav.ini's first line, read as Windows' own tools write it:
// a byte-order mark, UTF-16 either way round, double quotes around it.
#include "services/name_line.h"

#include <gtest/gtest.h>

#include <string>

using ketrav::services::name_in_first_line;

namespace {

TEST(NameLine, NamesInFirstLinesAsWindowsToolsWriteThem) {
    auto little = [](const std::u16string& text) {
        std::string bytes = "\xFF\xFE";
        for (char16_t unit : text) bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        return bytes;
    };
    struct Case {
        std::string bytes;
        std::string name;
    };
    for (const Case& c :
         {Case{"plain.log\r\nnext", "plain.log"}, Case{"\xEF\xBB\xBFplain.log\r\n", "plain.log"},
          Case{"\"C:\\BBS\\q.log\"\r\n", "C:\\BBS\\q.log"}, Case{"\"a\"b\"\r\n", "a\"b"}, Case{"\"a\" \r\n", "\"a\" "},
          Case{"\"\r\n", "\""}, Case{"a\nb\r\n", "a\nb"}, Case{"end\x1A more", "end"},
          Case{little(u"q.log\r\nx"), "q.log"}, Case{"\xFE\xFF" + std::string("\0q\0.\0l\0o\0g\0\r", 13), "q.log"},
          Case{little(u"\"q.log\""), "q.log"}, Case{"\xFF\xFE" + std::string("q\0.", 3), "q"}}) {
        EXPECT_EQ(name_in_first_line(c.bytes), c.name) << c.bytes;
    }
#ifndef _WIN32
    // Beyond ASCII the name becomes UTF-8 (on Windows the ANSI code page
    // decides, and Wine's need not hold these): two, three and four bytes
    // a character, and a surrogate without its pair as U+FFFD, never as
    // half a character.
    const std::u16string pair = u"\U0001F4E8";  // one character, two units
    for (const Case& c :
         {Case{little(u"\u041A\u0430\u0442.log\r\n"), "\xD0\x9A\xD0\xB0\xD1\x82.log"},
          Case{little(u"\u20AC" + pair + u".log"), "\xE2\x82\xAC\xF0\x9F\x93\xA8.log"},
          Case{little(pair.substr(0, 1) + u"a"), "\xEF\xBF\xBD" "a"},
          Case{little(u"a" + pair.substr(0, 1)), "a\xEF\xBF\xBD"},
          Case{little(pair.substr(1) + pair.substr(0, 1) + u"\r\n"), "\xEF\xBF\xBD\xEF\xBF\xBD"}}) {
        EXPECT_EQ(name_in_first_line(c.bytes), c.name) << c.name;
    }
#endif
}

}  // namespace
