// What the open-connection driver decides without a window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ras/records.h"

namespace dw::connection {

// The error report's line for the dial's last error code, and whether its
// description is offered behind the details button (734 never: the operator
// does not want the PPP text shown for an unavailable service).
struct ErrorReport {
  std::string caption;  // code page 1251
  bool keepDetails = true;
};
ErrorReport ErrorReportFor(std::uint32_t errorCode);

// One connect, as the main window asks for it: everything by value, so the
// threads of the connect never share the window's own list or settings.
struct ConnectRequest {
  std::string modem;
  std::string entryName;
  std::vector<std::string> apnList;
  bool refreshApns = false;       // this run's list is not yet updated
  std::string versionKey;         // BuildVersionKey, for the refresh
  bool notifyFirstStart = false;  // the run started without settings
};

// What the connect gives back for the window to keep.
struct ConnectResult {
  ras::Handle handle = 0;           // 0: no connection
  std::string entryName;            // as the dial left it
  std::vector<std::string> apnList; // reordered by the dial, or the server's new list
  bool apnsRefreshed = false;       // then `version` is the key GetAPNList returned
  std::string version;
  bool firstStartNotified = false;  // the notice went out (whatever its outcome)
};

}  // namespace dw::connection
