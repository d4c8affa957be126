// Reading a cmd command line into pipeline stages.
#include "standins/cmd_parse.h"

namespace ketrav::standins {
namespace {

enum class Target { word, input, output };

// False for a redirection to an empty name ("" in quotes): no file at all.
bool finish_redirection(Target& pending, std::string& word, platform::PipelineStage& stage, bool quoted) {
    if (word.empty() && !quoted) return pending == Target::word;
    if (word.empty() && pending != Target::word) return false;
    if (pending == Target::input)
        stage.input = word;
    else if (pending == Target::output)
        stage.output = word;
    else
        stage.words.push_back(word);
    pending = Target::word;
    word.clear();
    return true;
}

}  // namespace

bool parse_pipeline(const std::string& command, std::vector<platform::PipelineStage>& stages) {
    stages.assign(1, platform::PipelineStage{});
    Target pending = Target::word;
    std::string word;
    bool in_quotes = false, quoted = false;
    for (std::size_t i = 0; i <= command.size(); ++i) {
        char c = i < command.size() ? command[i] : '\0';
        bool at_end = i == command.size();
        if (!at_end && c == '"') {
            in_quotes = !in_quotes;
            quoted = true;
            continue;
        }
        if (!at_end && in_quotes) {
            word += c;
            continue;
        }
        if (at_end || c == ' ' || c == '\t' || c == '|' || c == '<' || c == '>') {
            if (!word.empty() || quoted) {
                if (!finish_redirection(pending, word, stages.back(), quoted)) return false;
                quoted = false;
            }
            if (at_end || c == '|') {
                if (pending != Target::word) return false;
                // A pipe needs a command on either side ("type x |", "| sort"):
                // Windows' cmd refuses the line, and so does this one, rather
                // than drop the output and end 0.
                const platform::PipelineStage& stage = stages.back();
                bool nothing = stage.words.empty() && stage.input.empty() && stage.output.empty();
                if (nothing && (c == '|' || stages.size() > 1)) return false;
                if (!at_end) stages.emplace_back();
            } else if (c == '<' || c == '>') {
                if (pending != Target::word) return false;
                pending = c == '<' ? Target::input : Target::output;
                if (c == '>' && i + 1 < command.size() && command[i + 1] == '>') {
                    stages.back().append = true;
                    ++i;
                } else if (c == '>') {
                    stages.back().append = false;
                }
            }
            continue;
        }
        word += c;
    }
    return true;
}

}  // namespace ketrav::standins
