// Any command for the cmd stand-in: the Windows argv split of a whole
// command line, then the reading of the pipeline. Neither crashes; a read
// pipeline has a stage per '|' outside quotes, and no redirection without
// its file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/argv_split.h"
#include "standins/cmd_parse.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string line(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> words = ketrav::platform::split_command_line("cmd /c " + line);
    if (words.size() < 2 || words[0] != "cmd" || words[1] != "/c") std::abort();
    for (const std::string& word : words)
        if (word.find('\0') != std::string::npos && line.find('\0') == std::string::npos) std::abort();

    std::vector<ketrav::platform::PipelineStage> stages;
    if (!ketrav::standins::parse_pipeline(line, stages)) return 0;
    if (stages.empty()) std::abort();
    for (const auto& stage : stages)
        if (stage.append && stage.output.empty()) std::abort();
    return 0;
}
