// The cmd stand-in's reading of a command: a pipeline of simple commands,
// each with '<', '>' and '>>' redirections.
#pragma once

#include <string>
#include <vector>

#include "platform/pipeline.h"

namespace ketrav::standins {

// Splits at '|' and reads each part's words and redirections; double quotes
// group spaces and special characters. A redirection with no file name, or
// a pipe with nothing on one side, makes the whole command invalid: false.
bool parse_pipeline(const std::string& command, std::vector<platform::PipelineStage>& stages);

}  // namespace ketrav::standins
