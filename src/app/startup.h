// Process-wide values fixed at start-up, before the main window exists.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "platform/ras_library.h"
#include "platform/threads.h"

namespace dw {

constexpr std::int32_t kRasReadyWaitAuto = 120;
constexpr std::int32_t kRasReadyWaitNormal = 20;

struct StartupState {
  std::uint32_t winVer = 0;
  CommandLine commandLine;
  // Loaded from the system directory; never freed. May be not loaded.
  std::unique_ptr<RasLibrary> rasLibrary;
  // Half-second rounds of the next RAS readiness check: the start-up value
  // once, then kRasReadyWaitNormal. Read by workers, hence atomic.
  std::atomic<std::int32_t> rasReadyWaitCount{kRasReadyWaitNormal};
  // Guards the progress dialog's shared fields; lives until the process ends.
  dw::Mutex progressLock;
};

// Fills `state` from the machine and the command line (step 1 of start-up);
// none of it can stop the start.
void FillStartupValues(StartupState& state, std::uint32_t winVer,
                       const std::vector<std::string>& arguments,
                       std::unique_ptr<RasLibrary> rasLibrary);

}  // namespace dw
