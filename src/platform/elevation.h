// Running this program once more, with administrator rights, for one step a
// user without them may not do (`dialwave.exe /setinit ...`).
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace dw {

class Elevation {
 public:
  virtual ~Elevation() = default;
  // Starts this program with `arguments` (the verb "runas": the system asks
  // for consent or an administrator's password) and waits up to `limit` for
  // it to end. Its exit code; nullopt when it did not run to its end: the
  // user refused, the system has no such verb (9x, NT 4), or the limit
  // passed.
  virtual std::optional<int> RunAsAdministrator(const std::string& arguments,
                                                std::chrono::milliseconds limit) = 0;
};

}  // namespace dw
