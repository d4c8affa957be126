// The sort stand-in's work, apart from its input and output.
#pragma once

#include <string>
#include <vector>

namespace ketrav::standins {

// Splits by KetRAV's own line rules: a line ends at CR or CR LF, LF belongs
// to the line, and the byte 0x1A ends the input. A last line without an end
// counts too.
std::vector<std::string> split_lines(const std::string& bytes);

// Byte-wise ascending order, bytes taken as unsigned, equal lines in their
// input order; every line written with CR LF.
std::string sorted_text(std::vector<std::string> lines);

}  // namespace ketrav::standins
