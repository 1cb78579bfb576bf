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

}  // namespace dw
