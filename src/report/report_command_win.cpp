#include "report/report_command.h"

#include <chrono>

#include "platform/win32/adapters_win.h"
#include "platform/registry.h"
#include "ras/context.h"
#include "report/report.h"

namespace dw::report {

int RunReportCommand(const Environment& environment, const std::vector<std::string>& arguments) {
  if (arguments.size() != 2 || arguments[1].empty()) return kReportUsage;
  // Never freed: a RAS worker abandoned by a readiness check that gave up
  // may still use the library while the process ends.
  static RasLibrary* const library = LoadSystemRasLibrary().release();
  static WindowMessages* const messages = MakeWin32WindowMessages().release();
  static ras::RasWaiter* const waiter = ras::MakeMessagesWaiter(*messages).release();
  // No main window: a 711 reaches nobody.
  ras::ConfigureRas({library, environment.WinVer(), nullptr, waiter, nullptr, 0,
                     std::chrono::milliseconds(500)});

  const auto registry = MakeWin32Registry();
  const auto clock = MakeSystemClock();
  return WriteSystemReport(environment, *registry, *clock, nullptr, arguments[1]) ? kReportWritten
                                                                                  : kReportNotWritten;
}

bool WriteSystemReport(const Environment& environment, Registry& registry, const Clock& clock,
                       const UsageLedgerView* usage, const std::string& path) {
  const auto system = MakeWin32SystemFacts(environment.PlatformId(), environment.WinVer());
  const auto files = MakeWin32ReportFiles(environment.PlatformId());
  return WriteReport({&environment, system.get(), &registry, files.get(), usage, &clock}, path);
}

}  // namespace dw::report
