#include "platform/command_line.h"

namespace dw {

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
  std::vector<std::string> parts;
  std::size_t i = 0;
  const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  for (;;) {
    while (i < commandLine.size() && isBlank(commandLine[i])) ++i;
    if (i >= commandLine.size()) break;
    std::string part;
    bool quoted = false;
    for (; i < commandLine.size() && (quoted || !isBlank(commandLine[i])); ++i) {
      if (commandLine[i] == '"') {
        quoted = !quoted;
      } else {
        part += commandLine[i];
      }
    }
    parts.push_back(std::move(part));
  }
  return parts;
}

CommandLine CommandLine::Parse(const std::vector<std::string>& arguments) {
  CommandLine cl;
  if (!arguments.empty()) {
    cl.autoStart = arguments[0] == "/auto";
    cl.writeLog = arguments[0] == "/l";
  }
  if (arguments.size() > 1) {
    cl.plainSettings = arguments[1] == "/r";
    cl.plainLog = arguments[1] == "/n";
  }
  return cl;
}

}  // namespace dw
