// The cmd stand-in's plumbing: stages joined by pipes, redirections opened
// by the program's own file rules, the last stage's exit status.
#include "platform/pipeline.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

#include "test_support.h"

using namespace ketrav::platform;
using ketrav::testing::read_bytes;
using ketrav::testing::write_bytes;

namespace {

// Builtins: "emit TEXT" writes TEXT; "upper" copies its input in capitals;
// "fail" exits with 3.
int emit(const std::vector<std::string>& words) {
    std::fputs(words.size() > 1 ? words[1].c_str() : "", stdout);
    return 0;
}
int upper(const std::vector<std::string>&) {
    for (int c; (c = std::getchar()) != EOF;) std::putchar(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return 0;
}
int fail(const std::vector<std::string>&) { return 3; }
// Dies of a signal, as a stage that runs out of stack or is killed does
// (SIGKILL: no sanitizer turns it into an exit).
int crash(const std::vector<std::string>&) {
    std::raise(SIGKILL);
    return 0;
}
// Exits with 0 when it starts with SIGINT at its default (a program started
// afresh), though cmd's own parent may have ignored it.
int interruptible(const std::vector<std::string>&) {
    struct sigaction action {};
    sigaction(SIGINT, nullptr, &action);
    return action.sa_handler == SIG_DFL ? 0 : 5;
}
// Writes far more than a pipe holds.
int flood(const std::vector<std::string>&) {
    std::string block(65536, 'f');
    for (int i = 0; i < 64; ++i)
        if (std::fwrite(block.data(), 1, block.size(), stdout) != block.size()) return 1;
    return std::fflush(stdout) == 0 ? 0 : 1;
}

BuiltinCommand builtin_for(const std::string& word) {
    if (word == "emit") return emit;
    if (word == "upper") return upper;
    if (word == "fail") return fail;
    if (word == "flood") return flood;
    if (word == "crash") return crash;
    if (word == "interruptible") return interruptible;
    return nullptr;
}

PipelineStage stage(std::vector<std::string> words, std::string input = "", std::string output = "",
                    bool append = false) {
    PipelineStage s;
    s.words = std::move(words);
    s.input = std::move(input);
    s.output = std::move(output);
    s.append = append;
    return s;
}

// A reader that ends without reading everything (a sort that failed early,
// or was killed) must end the writer too, never leave it waiting on a full
// pipe. A hang here ends the test process by its alarm.
TEST(Pipeline, AWriterOutlivingItsReaderNeverWaitsForEver) {
    ketrav::testing::ScratchDirectory scratch;
    alarm(60);
    EXPECT_EQ(run_pipeline({stage({"flood"}), stage({"fail"})}, builtin_for), 3);
    EXPECT_EQ(run_pipeline({stage({"flood"}), stage({"emit", "x"}), stage({"upper"}, "", "out.txt")}, builtin_for), 0);
    alarm(0);
    EXPECT_EQ(read_bytes("out.txt"), "X");
}

TEST(Pipeline, StagesRedirectionsAndStatus) {
    ketrav::testing::ScratchDirectory scratch;
    EXPECT_EQ(run_pipeline({stage({"emit", "abc"}), stage({"upper"}, "", "out.txt")}, builtin_for), 0);
    EXPECT_EQ(read_bytes("out.txt"), "ABC");
    EXPECT_EQ(run_pipeline({stage({"emit", "d"}, "", "out.txt", true)}, builtin_for), 0);
    EXPECT_EQ(read_bytes("out.txt"), "ABCd");
    write_bytes("in.txt", "xyz");
    EXPECT_EQ(run_pipeline({stage({"upper"}, "in.txt", "sub\\..\\copy.txt")}, builtin_for), 1);  // no sub/
    EXPECT_EQ(run_pipeline({stage({"upper"}, "in.txt", "copy.txt")}, builtin_for), 0);
    EXPECT_EQ(read_bytes("copy.txt"), "XYZ");
    EXPECT_EQ(run_pipeline({stage({"emit", "x"}), stage({"fail"})}, builtin_for), 3);
    EXPECT_EQ(run_pipeline({stage({"no-such-program-anywhere"})}, builtin_for), 1);
    EXPECT_EQ(run_pipeline({stage({"upper"}, "missing.txt")}, builtin_for), 1);
    // A stage killed by a signal fails the command, whatever the last says.
    EXPECT_EQ(run_pipeline({stage({"crash"}), stage({"upper"}, "", "out.txt")}, builtin_for), 1);
    EXPECT_EQ(run_pipeline({stage({"emit", "x"}), stage({"crash"})}, builtin_for), 1);
    // Stages keep the breaks as cmd has them: a break to the whole group
    // reaches a stage of KetRAV's, which ignores it, as it reaches cmd.
    EXPECT_EQ(run_pipeline({stage({"interruptible"})}, builtin_for), 0);
    std::signal(SIGINT, SIG_IGN);
    EXPECT_EQ(run_pipeline({stage({"interruptible"})}, builtin_for), 5);
    std::signal(SIGINT, SIG_DFL);
}

}  // namespace
