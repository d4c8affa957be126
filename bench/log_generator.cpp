// Writes a plausible tosser log, deterministically from a seed: tossing
// sessions spread over each day, packets, echomail imports among other log
// lines. Every knob that changes KetRAV's work can be turned:
//
//   log_generator OUTPUT [--size BYTES | --days N] [--sessions N] [--seed N]
//                 [--import-share PERCENT] [--areas N] [--skew S]
//                 [--tag-length MIN-MAX] [--lf] [--giant-line BYTES]
//
//   --size          stop once the log holds this many bytes (else --days)
//   --days          days of log (default 14)
//   --sessions      tossing sessions a day, spread over its 24 hours
//                   (default 3); time stamps always stay valid
//   --import-share  percent of log lines that are imports (default 60)
//   --areas         that many areas with made-up names instead of the twelve
//                   usual ones, picked with a Zipf skew...
//   --skew          ...of this exponent (0: all alike; default 1)
//   --tag-length    lengths of made-up area names (default 6-20)
//   --lf            LF alone ends lines (KetRAV then sees one giant line)
//   --giant-line    one import line of this many bytes, in the middle of the
//                   log (or alone, when neither --size nor --days is given)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

struct Knobs {
    long long size = 0;
    int days = 14;
    bool days_given = false;
    int sessions = 3;
    unsigned seed = 5020;
    int import_share = 60;
    int areas = 0;
    double skew = 1.0;
    int tag_min = 6, tag_max = 20;
    bool lf_alone = false;
    long long giant_line = 0;
};

const char* const usual_areas[] = {"RU.ANIME", "SU.GENERAL",     "FIDOTEST",    "NET5020.LOCAL",
                                   "Z2.ADMIN", "R50.SYSOP",      "SU.HARDW.PC", "RU.LINUX",
                                   "SU.BOOKS", "RU.FTN.DEVELOP", "N5020.CHAT",  "PVT.QUELIN.USERS"};
const double usual_weights[] = {30, 22, 4, 16, 3, 9, 12, 14, 5, 7, 10, 2};
const char* const nodes[] = {"2:5020/52", "2:5020/1024", "2:5030/1", "2:463/68", "2:5020/9999.2"};

// YYMMDD for day `n` after 2026-11-23.
std::string date_of(int n) {
    static const int month_days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int year = 26, month = 11, day = 23 + n;
    for (;;) {
        bool leap = year % 4 == 0;
        int days = month_days[month - 1] + (month == 2 && leap ? 1 : 0);
        if (day <= days) break;
        day -= days;
        if (++month > 12) month = 1, ++year;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%02d%02d%02d", year % 100, month, day);
    return text;
}

// Made-up area names: letters and dots, of lengths within the range.
std::vector<std::string> made_up_areas(const Knobs& knobs, std::mt19937& random) {
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::vector<std::string> names;
    for (int i = 0; i < knobs.areas; ++i) {
        int length =
            knobs.tag_min + static_cast<int>(random() % static_cast<unsigned>(knobs.tag_max - knobs.tag_min + 1));
        std::string name = std::to_string(i) + ".";
        while (static_cast<int>(name.size()) < length) name += letters[random() % 36];
        names.push_back(name.substr(0, static_cast<std::size_t>(std::max(length, 1))));
    }
    return names;
}

class LogWriter {
   public:
    LogWriter(std::FILE* out, bool lf_alone) : out_(out), end_(lf_alone ? "\n" : "\r\n") {}
    ~LogWriter() { flush(); }

    void line(const std::string& stamp, const std::string& text) {
        buffer_ += "  ";
        buffer_ += stamp;
        buffer_ += ' ';
        buffer_ += text;
        buffer_ += end_;
        if (buffer_.size() > (1u << 20)) flush();
    }
    void giant(const std::string& stamp, long long bytes) {
        std::string head = "  " + stamp + "  Import #1 from 2:5020/52 to ";
        buffer_ += head;
        flush();
        std::string chunk(1 << 16, 'T');
        for (long long left = bytes - static_cast<long long>(head.size()); left > 0;
             left -= static_cast<long long>(chunk.size()))
            written_ +=
                std::fwrite(chunk.data(), 1, static_cast<std::size_t>(std::min<long long>(left, 1 << 16)), out_);
        buffer_ += end_;
    }
    long long written() const { return written_ + static_cast<long long>(buffer_.size()); }
    void flush() {
        written_ += std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
        buffer_.clear();
    }

   private:
    std::FILE* out_;
    std::string end_;
    std::string buffer_;
    long long written_ = 0;
};

bool parse(int argc, char** argv, Knobs& knobs) {
    for (int i = 2; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--lf") {
            knobs.lf_alone = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        if (name == "--size")
            knobs.size = std::atoll(value);
        else if (name == "--days")
            knobs.days = std::atoi(value), knobs.days_given = true;
        else if (name == "--sessions")
            knobs.sessions = std::max(1, std::atoi(value));
        else if (name == "--seed")
            knobs.seed = static_cast<unsigned>(std::atol(value));
        else if (name == "--import-share")
            knobs.import_share = std::clamp(std::atoi(value), 0, 100);
        else if (name == "--areas")
            knobs.areas = std::max(0, std::atoi(value));
        else if (name == "--skew")
            knobs.skew = std::atof(value);
        else if (name == "--tag-length") {
            if (std::sscanf(value, "%d-%d", &knobs.tag_min, &knobs.tag_max) != 2 || knobs.tag_min < 1 ||
                knobs.tag_max < knobs.tag_min)
                return false;
        } else if (name == "--giant-line")
            knobs.giant_line = std::atoll(value);
        else
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Knobs knobs;
    if (argc < 2 || !parse(argc, argv, knobs)) {
        std::fprintf(stderr,
                     "usage: log_generator OUTPUT [--size BYTES | --days N] [--sessions N] [--seed N]\n"
                     "       [--import-share PERCENT] [--areas N] [--skew S] [--tag-length MIN-MAX] [--lf]\n"
                     "       [--giant-line BYTES]\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 1;
    std::mt19937 random(knobs.seed);
    {
        LogWriter log(out, knobs.lf_alone);
        bool giant_alone = knobs.giant_line > 0 && knobs.size == 0 && !knobs.days_given;
        if (giant_alone) {
            log.giant("261201 10:00:00", knobs.giant_line);
        } else {
            std::vector<std::string> areas(std::begin(usual_areas), std::end(usual_areas));
            std::vector<double> weights(std::begin(usual_weights), std::end(usual_weights));
            if (knobs.areas > 0) {
                areas = made_up_areas(knobs, random);
                weights.clear();
                for (int k = 0; k < knobs.areas; ++k) weights.push_back(1.0 / std::pow(k + 1.0, knobs.skew));
            }
            std::discrete_distribution<std::size_t> pick_area(weights.begin(), weights.end());
            const int seconds_a_session = 86400 / knobs.sessions;
            long long message = 0;
            bool giant_done = knobs.giant_line == 0;
            for (int day = 0; knobs.size > 0 ? log.written() < knobs.size : day < knobs.days; ++day) {
                std::string date = date_of(day);
                for (int session = 0; session < knobs.sessions; ++session) {
                    // Each session keeps to its share of the day, so hours stay
                    // below 24 however many sessions there are.
                    int second = session * seconds_a_session + static_cast<int>(random() % 60);
                    const int last_second = std::min(86399, (session + 1) * seconds_a_session - 1);
                    auto stamp = [&] {
                        second = std::min(last_second, second + 1 + static_cast<int>(random() % 2));
                        char text[32];
                        std::snprintf(text, sizeof text, "%s %02d:%02d:%02d", date.c_str(), second / 3600,
                                      second / 60 % 60, second % 60);
                        return std::string(text);
                    };
                    log.line(stamp(), "qtoss/W32 1.0.3 started");
                    int packets = 1 + static_cast<int>(random() % 3);
                    for (int p = 0; p < packets; ++p) {
                        const char* node = nodes[random() % 5];
                        char packet[64];
                        std::snprintf(packet, sizeof packet, "Tossing %08X.PKT from %s",
                                      static_cast<unsigned>(random()), node);
                        log.line(stamp(), packet);
                        int lines = static_cast<int>(random() % 8);
                        for (int m = 0; m < lines; ++m) {
                            if (static_cast<int>(random() % 100) < knobs.import_share)
                                log.line(stamp(), std::string(" Import #") + std::to_string(++message) + " from " +
                                                      node + " to " + areas[pick_area(random)]);
                            else if (random() % 2)
                                log.line(stamp(), "Dupe in area SU.GENERAL, moved to DUPES");
                            else
                                log.line(stamp(), "Netmail for 2:5020/52 routed via 2:5020/1024");
                        }
                        if (!giant_done && (knobs.size > 0 ? log.written() * 2 >= knobs.size : day * 2 >= knobs.days)) {
                            log.giant(stamp(), knobs.giant_line);
                            giant_done = true;
                        }
                        log.line(stamp(), "Packet done");
                    }
                    log.line(stamp(), "qtoss/W32 done");
                }
            }
        }
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
