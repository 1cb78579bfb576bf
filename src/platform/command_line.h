// The command line as the system hands it out, split into its arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dw {

// Program name first; blanks and control characters separate, double quotes
// group and vanish. Works on the ANSI command line, which every Windows
// generation has (CommandLineToArgvW does not exist on the 9x family).
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace dw
