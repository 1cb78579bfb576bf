// "dialwave.exe /report FILE": the support report written to FILE, and the
// process ends. It creates no window and takes no part in the single
// instance: a copy that runs meanwhile is neither woken nor disturbed, and
// the settings, the log and the tray icon are only read or left alone.
#pragma once

#include <string>
#include <vector>

#include "platform/environment.h"

namespace dw::report {

inline constexpr int kReportWritten = 0;
inline constexpr int kReportNotWritten = 1;  // nothing of it at FILE
inline constexpr int kReportUsage = 2;       // no FILE, or more than one

// The first argument is exactly "/report", as every switch is compared.
inline bool IsReportCommand(const std::vector<std::string>& arguments) {
  return !arguments.empty() && arguments[0] == "/report";
}

// Runs the command of `arguments` (IsReportCommand holds); the exit code.
int RunReportCommand(const Environment& environment, const std::vector<std::string>& arguments);

}  // namespace dw::report
