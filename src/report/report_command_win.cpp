#include "report/report_command.h"

#include <chrono>

#include "platform/command_line.h"
#include "platform/registry.h"
#include "platform/win32/adapters_win.h"
#include "ras/context.h"
#include "report/ledger_view.h"
#include "report/report.h"
#include "settings/settings.h"
#include "usage/ledger_store.h"

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
  std::unique_ptr<LedgerFileView> ledger;
  if (usage == nullptr) {
    // The ledger where the program keeps it, over the stored billing day.
    Settings settings;
    LoadSettings(registry, CommandLine::Parse({}), settings);
    const std::string ledgerPath =
        usage::LedgerFolder(*MakeWin32Shell(), *MakeWin32FileSystem(), environment.ExecutablePath(),
                            usage::LedgerFolderUse::kLookOnly) +
        usage::kLedgerFileName;
    ledger = std::make_unique<LedgerFileView>(*MakeWin32DataFiles(), ledgerPath, settings.BillingDay,
                                              clock.Now());
    usage = ledger.get();
  }
  return WriteReport({&environment, system.get(), &registry, files.get(), usage, &clock}, path);
}

}  // namespace dw::report
