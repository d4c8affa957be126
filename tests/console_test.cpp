// Console control: Ctrl+C, Ctrl+Break (SIGQUIT) and closing (SIGHUP) cannot
// break the run off.
#include "platform/console.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <csignal>

TEST(Console, BreaksAreIgnored) {
    ketrav::platform::ignore_console_breaks();
    for (int signal_number : {SIGINT, SIGQUIT, SIGHUP}) {
        struct sigaction current {};
        ASSERT_EQ(sigaction(signal_number, nullptr, &current), 0);
        EXPECT_EQ(current.sa_handler, SIG_IGN) << signal_number;
    }
    std::raise(SIGINT);
    std::raise(SIGHUP);
    SUCCEED() << "still running";
}
