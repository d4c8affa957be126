// The command tails that ask about the program, and what it answers.
#include "report/command_request.h"

#include "ketrav_version.h"

namespace ketrav::report {

CommandRequest command_request(const std::string& tail) {
    if (tail == "--help" || tail == "-h") return CommandRequest::usage;
#ifdef _WIN32
    if (tail == "/?") return CommandRequest::usage;
#endif
    if (tail == "--version") return CommandRequest::version;
    return CommandRequest::report;
}

std::string usage_text() {
#ifdef _WIN32
    const char* log = "logs\\qtoss.log";
    const char* help_words = "ketrav --help, -h or /?";
    // The zip's top folder holds README.txt; the exe itself lies one level
    // down, in 32-bit\ or 64-bit\, and is usually copied on alone.
    const char* manual = "README.txt in KetRAV's zip";
#else
    const char* log = "logs/qtoss.log";
    const char* help_words = "ketrav --help or -h";
    const char* manual = "man ketrav";
#endif
    return std::string("KetRAV " KETRAV_VERSION
                       ": an echomail traffic report from the qtoss log.\n\n"
                       "Usage: ketrav [TITLE...]\n\n"
                       "Run it in the host's main directory. It reads ") +
           log +
           ", or the log\n"
           "named on the first line of ketrav.ini, counts every echomail import per\n"
           "area, and writes the report to KetRAV.Rpt in that directory. Everything\n"
           "after the program name is the report's title, centred.\n\n"
           "Exit codes: 0 the new report is in KetRAV.Rpt; 1 no report was made and\n"
           "KetRAV.Rpt is as it was, or the new report is in place but the disk\n"
           "did not confirm it (do not post it); 255 a fatal error.\n\n" +
           help_words + ": this text. ketrav --version: the version.\nThe manual: " + manual + ".\n";
}

std::string version_text() { return "KetRAV " KETRAV_VERSION " (its reports say v" KETRAV_REPORT_VERSION ")\n"; }

}  // namespace ketrav::report
