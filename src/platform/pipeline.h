// POSIX only: running a pipeline of commands with redirections, for the cmd
// stand-in.
#pragma once

#include <string>
#include <vector>

namespace ketrav::platform {

struct PipelineStage {
    std::vector<std::string> words;  // the program (or builtin) and its arguments
    std::string input;               // '<' file, or empty
    std::string output;              // '>' or '>>' file, or empty
    bool append = false;
    // The program is one of KetRAV's own helpers: looked up only beside the
    // running program and in the helper directories, never along PATH.
    bool helper_only = false;
};

// Runs a builtin inside its stage's process, with the stage's standard
// streams in place; returns its exit status.
using BuiltinCommand = int (*)(const std::vector<std::string>& words);
// The builtin for a command word, or nullptr when the word names a program.
using BuiltinLookup = BuiltinCommand (*)(const std::string& word);

// Starts every stage, joined by pipes, and waits for all of them. Programs
// are found by find_program (a helper_only stage's among KetRAV's own
// helpers alone). Returns
// the last stage's exit status, or 1 when a stage could not start, was
// killed by a signal, or could not be waited for. Every stage ends when cmd
// ends, and starts with default signal dispositions.
int run_pipeline(const std::vector<PipelineStage>& stages, BuiltinLookup builtin_for);

}  // namespace ketrav::platform
