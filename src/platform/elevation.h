// Running this program once more, with administrator rights, for one step a
// user without them may not do (`dialwave.exe /setinit ...`).
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace dw {

// How a run as administrator went.
struct AdministratorRun {
  // Set when it ran to its end within the limit.
  std::optional<int> exitCode;
  // Started but not ended at the limit: it may still do its step at any
  // moment.
  bool stillRunning = false;
};

class Elevation {
 public:
  virtual ~Elevation() = default;
  // Starts this program with `arguments` (the verb "runas": the system asks
  // for consent or an administrator's password) and waits up to `limit` for
  // it to end. No exit code when it did not run to its end: the user
  // refused, the system has no such verb (9x, NT 4), or the limit passed.
  virtual AdministratorRun RunAsAdministrator(const std::string& arguments,
                                              std::chrono::milliseconds limit) = 0;
};

}  // namespace dw
