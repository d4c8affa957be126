// The floor: the least work a run of KetRAV's fixed file pattern can do,
// written apart from KetRAV's own code, to measure KetRAV against.
//
//   floor LOG [--seek]
//
// In the current directory, as KetRAV does, it
//   1. reads LOG in 128-byte blocks, each at its absolute position (one
//      pread, or with --seek an lseek and a read), and for every import line
//      writes the record with 4 writes (tag, padding, time stamp, CR LF) to
//      KetRAV1.txt;
//      then reads LOG once more in 64 KB pieces, as a run checks that the
//      log still holds what it read (without the check's digest: that is
//      KetRAV's own work);
//   2. sorts KetRAV1.txt in memory into KetRAV2.txt (one read, one write);
//   3. reads KetRAV2.txt in 128-byte blocks as in 1 and writes KetRAV.Rpt with
//      the report's writes, one write per piece of a line.
// It starts no process and leaves the three files behind. On standard error
// it prints the calls it made, to set beside `strace -f -c` of a real run.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Calls {
    long block_reads = 0, seeks = 0, writes = 0, whole_reads = 0, second_reads = 0;
} calls;

bool use_seek = false;

void put(int fd, const char* bytes, std::size_t size) {
    if (size == 0) return;
    ++calls.writes;
    if (write(fd, bytes, size) != static_cast<ssize_t>(size)) std::perror("write");
}
void put(int fd, std::string_view text) { put(fd, text.data(), text.size()); }

// Lines of a file read in 128-byte blocks at their positions: a line ends at
// CR or CR LF, LF belongs to the line, 0x1A ends the file.
class BlockLines {
   public:
    explicit BlockLines(const char* name) : fd_(open(name, O_RDONLY)) { fill(); }
    ~BlockLines() {
        if (fd_ >= 0) close(fd_);
    }
    bool next(std::string& line) {
        line.clear();
        if (at_end()) return false;
        for (;;) {
            if (position_ == fill_ && !fill()) return true;
            const char* begin = block_ + position_;
            std::size_t left = fill_ - position_;
            const char* cr = static_cast<const char*>(std::memchr(begin, '\r', left));
            std::size_t run = cr ? static_cast<std::size_t>(cr - begin) : left;
            if (const char* mark = static_cast<const char*>(std::memchr(begin, 0x1A, run))) {
                line.append(begin, static_cast<std::size_t>(mark - begin));
                position_ += static_cast<std::size_t>(mark - begin);
                return true;
            }
            line.append(begin, run);
            position_ += run;
            if (!cr) continue;
            ++position_;
            if (position_ == fill_) fill();
            if (position_ < fill_ && block_[position_] == '\n') ++position_;
            return true;
        }
    }

   private:
    bool at_end() {
        if (position_ == fill_) fill();
        return position_ == fill_ || block_[position_] == 0x1A;
    }
    bool fill() {
        offset_ += static_cast<off_t>(position_);
        position_ = fill_ = 0;
        if (fd_ < 0) return false;
        ssize_t got;
        ++calls.block_reads;
        if (use_seek) {
            ++calls.seeks;
            lseek(fd_, offset_, SEEK_SET);
            got = read(fd_, block_, sizeof block_);
        } else {
            got = pread(fd_, block_, sizeof block_, offset_);
        }
        fill_ = got > 0 ? static_cast<std::size_t>(got) : 0;
        return fill_ > 0;
    }

    int fd_;
    char block_[128];
    off_t offset_ = 0;
    std::size_t position_ = 0, fill_ = 0;
};

int create(const char* name) { return open(name, O_WRONLY | O_CREAT | O_TRUNC, 0644); }

void first_pass(const char* log, long& total, std::string& first_date, std::string& last_date) {
    int out = create("KetRAV1.txt");
    BlockLines lines(log);
    std::string line;
    const std::string_view marker = "  Import #";
    while (lines.next(line)) {
        std::string_view text = line;
        if (text.find(marker) == std::string_view::npos) {
            last_date = line.substr(std::min<std::size_t>(2, line.size()), 6);
            continue;
        }
        std::size_t to = text.find(" to ");
        std::string_view tag =
            to == std::string_view::npos ? text.substr(std::min<std::size_t>(3, text.size())) : text.substr(to + 4);
        static const std::string padding(64, ' ');
        put(out, tag);
        if (tag.size() < 37) put(out, padding.data(), 37 - tag.size());
        put(out, text.substr(std::min<std::size_t>(2, text.size()), 15));
        put(out, "\r\n", 2);
        if (++total == 1) first_date = line.substr(std::min<std::size_t>(2, line.size()), 6);
        last_date = line.substr(std::min<std::size_t>(2, line.size()), 6);
    }
    close(out);
}

// The second read of the log, from its start, in large pieces.
void read_again(const char* log) {
    int in = open(log, O_RDONLY);
    if (in < 0) return;
    static char piece[65536];
    for (off_t at = 0;; ++calls.second_reads) {
        ssize_t got = pread(in, piece, sizeof piece, at);
        if (got <= 0) break;
        at += got;
    }
    close(in);
}

void sort_records() {
    int in = open("KetRAV1.txt", O_RDONLY);
    struct stat info {};
    fstat(in, &info);
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    ++calls.whole_reads;
    if (read(in, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::perror("read");
    close(in);
    std::vector<std::string_view> records;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) end = bytes.size();
        records.emplace_back(bytes.data() + at, end - at);
        at = end + 2;
    }
    std::sort(records.begin(), records.end());
    std::string sorted;
    sorted.reserve(bytes.size());
    for (std::string_view record : records) sorted.append(record).append("\r\n");
    int out = create("KetRAV2.txt");
    put(out, sorted);
    close(out);
}

void area_line(int out, const std::string& area, long count, long total) {
    char number[32];
    put(out, area);
    put(out, " ", 1);
    put(out, std::string(area.size() < 37 ? 37 - area.size() : 0, '.'));
    put(out, " : ", 3);
    std::snprintf(number, sizeof number, "%7ld", count);
    put(out, number, std::strlen(number));
    put(out, " ", 1);
    std::snprintf(number, sizeof number, "%5.1f", 100.0 * static_cast<double>(count) / static_cast<double>(total));
    put(out, number, std::strlen(number));
    put(out, "%", 1);
    put(out, "\r\n", 2);
}

void second_pass(long total, const std::string& first_date, const std::string& last_date) {
    int out = create("KetRAV.Rpt");
    put(out, "\r\n");
    put(out, " Floor v1.0    ");
    put(out, "     Quelin Inbound Echomail Traffic Report           ");
    put(out, "\r\n\r\n");
    put(out, "                             From " + first_date + " to " + last_date);
    put(out, "\r\n\r\n");
    BlockLines lines("KetRAV2.txt");
    std::string record, area;
    long count = 0;
    while (lines.next(record)) {
        std::string_view key = std::string_view(record).substr(0, 36);
        while (!key.empty() && key.front() == ' ') key.remove_prefix(1);
        while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
        if (key == area) {
            ++count;
            continue;
        }
        if (!area.empty()) area_line(out, area, count, total);
        area.assign(key);
        count = 1;
    }
    if (!area.empty()) area_line(out, area, count, total);
    char line[64];
    std::snprintf(line, sizeof line, "    Total Messages = %7ld", total);
    put(out, line, std::strlen(line));
    put(out, "\r\n\r\n");
    close(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: floor LOG [--seek]\n");
        return 2;
    }
    use_seek = argc > 2 && std::strcmp(argv[2], "--seek") == 0;
    long total = 0;
    std::string first_date, last_date;
    first_pass(argv[1], total, first_date, last_date);
    read_again(argv[1]);
    sort_records();
    second_pass(total, first_date, last_date);
    std::fprintf(stderr,
                 "floor: %ld records; %ld block reads (%s), %ld seeks, %ld reads of 64 KB, %ld whole-file reads, "
                 "%ld writes\n",
                 total, calls.block_reads, use_seek ? "lseek and read" : "pread", calls.seeks, calls.second_reads,
                 calls.whole_reads, calls.writes);
    return 0;
}
