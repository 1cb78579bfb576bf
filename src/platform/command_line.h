// The command line as the system hands it out, split into its arguments,
// and the program's switches in it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dw {

// Program name first; blanks and control characters separate, double quotes
// group and vanish. Works on the ANSI command line, which every Windows
// generation has (CommandLineToArgvW does not exist on the 9x family).
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// Switches by position, compared exactly and case-sensitively:
// first "/auto" or "/l", second "/r" or "/n".
struct CommandLine {
  bool autoStart = false;      // "/auto": started from the start-up entry
  bool writeLog = false;       // "/l": write the diagnostic log
  bool plainSettings = false;  // "/r": settings stored as plain text
  bool plainLog = false;       // "/n": log lines as plain text

  static CommandLine Parse(const std::vector<std::string>& arguments);
};

}  // namespace dw
