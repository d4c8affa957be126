// Writes a plausible qtoss log: tossing sessions over a number of days, each
// importing echomail into a dozen areas among other log lines, CR LF ends.
//   log_generator OUTPUT [--days N] [--sessions N] [--seed N] [--long-line BYTES]
// With --long-line, OUTPUT instead holds one import line of that many bytes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

const char* const areas[] = {"RU.ANIME", "SU.GENERAL",     "FIDOTEST",    "NET5020.LOCAL",
                             "Z2.ADMIN", "R50.SYSOP",      "SU.HARDW.PC", "RU.LINUX",
                             "SU.BOOKS", "RU.FTN.DEVELOP", "N5020.CHAT",  "PVT.QUELIN.USERS"};
const char* const nodes[] = {"2:5020/52", "2:5020/1024", "2:5030/1", "2:463/68", "2:5020/9999.2"};

// YYMMDD for day `n` after 2026-11-23.
std::string date_of(int n) {
    static const int month_days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int year = 26, month = 11, day = 23 + n;
    while (day > month_days[month - 1]) {
        day -= month_days[month - 1];
        if (++month > 12) month = 1, ++year;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%02d%02d%02d", year % 100, month, day);
    return text;
}

int long_line(std::FILE* out, long bytes) {
    std::string head = "  261201 10:00:00  Import #1 from 2:5020/52 to ";
    std::fputs(head.c_str(), out);
    std::string chunk(65536, 'T');
    for (long left = bytes - static_cast<long>(head.size()); left > 0; left -= static_cast<long>(chunk.size()))
        std::fwrite(chunk.data(), 1,
                    left < static_cast<long>(chunk.size()) ? static_cast<std::size_t>(left) : chunk.size(), out);
    std::fputs("\r\n", out);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: log_generator OUTPUT [--days N] [--sessions N] [--seed N] [--long-line BYTES]\n");
        return 2;
    }
    int days = 14, sessions = 3;
    unsigned seed = 5020;
    long long_bytes = 0;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--days")) days = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--sessions")) sessions = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--seed")) seed = static_cast<unsigned>(std::atol(argv[i + 1]));
        if (!std::strcmp(argv[i], "--long-line")) long_bytes = std::atol(argv[i + 1]);
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 1;
    if (long_bytes > 0) {
        int status = long_line(out, long_bytes);
        return std::fclose(out) == 0 ? status : 1;
    }
    std::mt19937 random(seed);
    // Some areas are busy, some quiet: weights fall off along the list.
    std::discrete_distribution<int> pick_area({30, 22, 4, 16, 3, 9, 12, 14, 5, 7, 10, 2});
    int message = 0;
    for (int day = 0; day < days; ++day) {
        std::string date = date_of(day);
        for (int session = 0; session < sessions; ++session) {
            int hour = 2 + session * 7 + static_cast<int>(random() % 5), minute = static_cast<int>(random() % 50),
                second = 0;
            auto line = [&](const std::string& text) {
                second += 1 + static_cast<int>(random() % 3);
                if (second >= 60) second -= 60, ++minute;
                std::fprintf(out, "  %s %02d:%02d:%02d %s\r\n", date.c_str(), hour, minute % 60, second, text.c_str());
            };
            line("qtoss/W32 1.0.3 started");
            int packets = 1 + static_cast<int>(random() % 3);
            for (int p = 0; p < packets; ++p) {
                char packet[64];
                const char* node = nodes[random() % 5];
                std::snprintf(packet, sizeof packet, "Tossing %08X.PKT from %s", static_cast<unsigned>(random()), node);
                line(packet);
                int imports = static_cast<int>(random() % 6);
                for (int m = 0; m < imports; ++m)
                    line(std::string(" Import #") + std::to_string(++message) + " from " + node + " to " +
                         areas[pick_area(random)]);
                if (random() % 4 == 0) line("Dupe in area SU.GENERAL, moved to DUPES");
                line("Packet done: " + std::to_string(imports) + " messages");
            }
            line("Scanning outbound echomail");
            line("qtoss/W32 ended");
        }
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
