#include "app/startup.h"

namespace dw {

void FillStartupValues(StartupState& state, std::uint32_t winVer,
                       const std::vector<std::string>& arguments,
                       std::unique_ptr<RasLibrary> rasLibrary) {
  state.winVer = winVer;
  state.commandLine = CommandLine::Parse(arguments);
  state.rasLibrary = std::move(rasLibrary);
  state.rasReadyWaitCount = state.commandLine.autoStart ? kRasReadyWaitAuto : kRasReadyWaitNormal;
}

}  // namespace dw
