// The command tails that ask about the program: exactly these, nothing like
// them; and the texts they answer with.
#include "report/command_request.h"

#include <gtest/gtest.h>

#include "ketrav_version.h"

using ketrav::report::command_request;
using ketrav::report::CommandRequest;

namespace {

TEST(CommandRequest, OnlyTheExactTailsAsk) {
    struct Case {
        std::string tail;
        CommandRequest request;
    };
    for (const Case& c : {Case{"--help", CommandRequest::usage}, Case{"-h", CommandRequest::usage},
                          Case{"--version", CommandRequest::version}, Case{"", CommandRequest::report},
                          Case{"--helpme", CommandRequest::report}, Case{" --help", CommandRequest::report},
                          Case{"--help ", CommandRequest::report}, Case{"--HELP", CommandRequest::report},
                          Case{"-h x", CommandRequest::report}, Case{"--version2", CommandRequest::report},
                          Case{"Fidonet Region 99", CommandRequest::report}}) {
        EXPECT_EQ(command_request(c.tail), c.request) << c.tail;
    }
#ifdef _WIN32
    EXPECT_EQ(command_request("/?"), CommandRequest::usage);
#else
    EXPECT_EQ(command_request("/?"), CommandRequest::report);
#endif
    EXPECT_NE(ketrav::report::version_text().find(KETRAV_VERSION), std::string::npos);
    EXPECT_NE(ketrav::report::usage_text().find("KetRAV.Rpt"), std::string::npos);
}

}  // namespace
