#include "app/startup.h"

namespace dw {

CommandLine CommandLine::Parse(const std::vector<std::string>& arguments) {
  CommandLine cl;
  if (!arguments.empty()) {
    cl.autoStart = arguments[0] == "/auto";
    cl.writeLog = arguments[0] == "/l";
  }
  if (arguments.size() > 1) {
    cl.plainSettings = arguments[1] == "/r";
    cl.plainLog = arguments[1] == "/n";
  }
  return cl;
}

StartupState& Startup() {
  static StartupState state;
  return state;
}

void FillStartupValues(StartupState& state, std::uint32_t winVer,
                       const std::vector<std::string>& arguments,
                       std::unique_ptr<RasLibrary> rasLibrary) {
  state.winVer = winVer;
  state.commandLine = CommandLine::Parse(arguments);
  state.rasLibrary = std::move(rasLibrary);
  state.rasReadyWaitCount = state.commandLine.autoStart ? kRasReadyWaitAuto : kRasReadyWaitNormal;
}

}  // namespace dw
