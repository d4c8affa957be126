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
#ifdef _WIN32
    const std::string cyrillic_name;  // the ANSI code page decides; Wine's need not hold it
#else
    const std::string cyrillic_name = "\xD0\x9A\xD0\xB0\xD1\x82.log";  // "Кат.log" in UTF-8
#endif
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
    if (!cyrillic_name.empty()) {
        EXPECT_EQ(name_in_first_line(little(u"\u041A\u0430\u0442.log\r\n")), cyrillic_name);
    }
}

}  // namespace
