// What the open-connection driver decides without a window.
#pragma once

#include <cstdint>
#include <string>

namespace dw::connection {

// The error report's line for the dial's last error code, and whether its
// description is offered behind the details button (734 never: the operator
// does not want the PPP text shown for an unavailable service).
struct ErrorReport {
  std::string caption;  // code page 1251
  bool keepDetails = true;
};
ErrorReport ErrorReportFor(std::uint32_t errorCode);

}  // namespace dw::connection
