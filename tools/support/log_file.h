// Reading a file a subscriber sent (the log, the usage ledger): names
// arrive as UTF-8, and each system opens them its own way.
#pragma once

#include <optional>
#include <string>

namespace dw::support {

enum class LogFileError { kFolder, kCannotOpen, kCannotRead };

// The whole file, or why not.
struct LogFile {
  std::string content;
  std::optional<LogFileError> error;
};

LogFile ReadLogFile(const std::string& utf8Name);

}  // namespace dw::support
