// RAS result codes in words, and the log record of a failed RAS step.
#pragma once

#include <string>
#include <string_view>

#include "ras/records.h"

namespace dw::ras {

inline constexpr std::int32_t kCaughtErrorCode = 888;

// The system's text for `code`, empty when it has none. For 711 the
// program's own text, after the main window has handled kMsgSystemConfigError (RAS is not
// asked). Any thread; never fails its caller.
std::string GetRasErrorDescr(Dword code);

// One log record "RAS-<tag>" with the code and its text ("Unrecognized"
// without one); nothing for 0. Any thread; never fails its caller.
void LogRasError(std::string_view tag, Dword code);

}  // namespace dw::ras
