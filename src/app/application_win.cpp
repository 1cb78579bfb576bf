#include "app/application_win.h"

#include "app/startup.h"
#include "connection/presence.h"
#include "connection/statistics.h"
#include "log/log.h"
#include "platform/registry.h"
#include "platform/win32/adapters_win.h"
#include "ras/context.h"
#include "report/report_command.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/user_api_win.h"
#include "text/texts.h"
#include "ui/dialogs/question_win.h"
#include "ui/framework/message_loop_win.h"
#include "ui/framework/window_win.h"
#include "ui/connection_services_win.h"
#include "ui/main_window_win.h"
#include "usage/ledger_store.h"
#include "platform/message_numbers.h"

#include <objbase.h>

namespace dw {
namespace {

// Time a second copy gives a first copy that has stopped answering.
constexpr UINT kWakeUpTimeoutMs = 30000;

// The hidden top-level window every copy has: it carries the application
// title, by which a second copy finds the first, and hands the wake-up
// message on to the main window. It never shows itself.
class ApplicationWindow final : public ui::WindowBase {
 public:
  static constexpr const char* kClassName = "KorvanaDialwaveApplication";

  bool Create(const std::string& title) {
    RegisterClassOnce(kClassName);
    return WindowBase::Create(kClassName, WS_EX_TOOLWINDOW, WS_POPUP, title, 0, 0, 0, 0, nullptr);
  }
  void SetMainWindow(HWND main) { main_ = main; }

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override {
    switch (message) {
      case WM_WINDOWPOSCHANGING:
        // A second copy shows this window; the main window is what appears.
        reinterpret_cast<WINDOWPOS*>(lparam)->flags &= ~SWP_SHOWWINDOW;
        return false;
      case WM_ACTIVATE:
        if (LOWORD(wparam) != WA_INACTIVE && main_ != nullptr && IsWindowVisible(main_)) {
          SetForegroundWindow(main_);
        }
        return false;
      case kMsgWakeUp:
        result = main_ != nullptr ? SendMessageA(main_, kMsgWakeUp, wparam, lparam) : 0;
        return true;
      default:
        return false;
    }
  }

 private:
  HWND main_ = nullptr;
};

// In the system's ANSI code page, which is 1251 on the systems we are made for.
std::string ExecutableBaseName() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name(path);
  const auto slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const auto dot = name.find_last_of('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

// A second copy: bring the first to the front in normal state, wake it, end.
void WakeFirstCopy(const ApplicationWindow& own) {
  char className[256] = {};
  GetClassNameA(own.hwnd(), className, 256);
  const std::string title = Text(TextId::AppTitle);
  const HWND first = user::FindTopLevel(className, &title);
  if (first == nullptr || !IsWindow(first)) return;  // first copy still starting or closing
  ShowWindow(first, SW_SHOWNORMAL);
  SetForegroundWindow(first);
  DWORD_PTR ignored = 0;
  // Waits for the first copy to handle it, but never behind a hung one.
  SendMessageTimeoutA(first, kMsgWakeUp, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kWakeUpTimeoutMs,
                      &ignored);
}

// COM on the main thread for the program's life: the shell's link object
// (installation) needs it. Undone after the main window has gone.
class ComScope {
 public:
  ComScope() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComScope() {
    if (initialised_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialised_;
};

}  // namespace

int RunDialwave() {
  // 1. Process-wide values; none of them can stop the start.
  const std::shared_ptr<const Environment> environment = MakeWin32Environment();
  // "/report FILE" ends here, before any window or the single instance.
  if (report::IsReportCommand(environment->Arguments())) {
    return report::RunReportCommand(*environment, environment->Arguments());
  }
  // Static, as the services below: RAS's workers, which may outlive this
  // function, keep pointers into it (the library, the wait count).
  static StartupState startup;
  FillStartupValues(startup, environment->WinVer(), environment->Arguments(), LoadSystemRasLibrary());

  // 2. The framework: the application window exists before the instance check.
  ApplicationWindow application;
  if (!application.Create(ExecutableBaseName())) return 1;

  // 3-4. One copy per machine. The handle stays open until the process ends.
  SetLastError(0);
  const HANDLE mutex = CreateMutexA(nullptr, FALSE, Text(TextId::SingleInstanceMutex).c_str());
  if (mutex == nullptr || GetLastError() != 0) {
    WakeFirstCopy(application);
    return 0;
  }

  // 5. The first copy. Its services are built here, once, and handed to
  // what uses them. What stays process-wide, configured only here: the log
  // (any thread and any layer writes it, as in the field logs the support
  // staff read), and the RAS context, presence and the 9x counters, which
  // RAS's notification routine and the workers reach without an object to
  // carry them. Static, so they outlive the windows and the workers those
  // end; an update left behind at the exit holds its own clock.
  static const std::shared_ptr<Clock> clock = MakeSystemClock();
  static const std::shared_ptr<WindowMessages> messages = MakeWin32WindowMessages();
  static const std::unique_ptr<Registry> registry = MakeWin32Registry();
  ConfigureLog({startup.commandLine, environment->ExecutablePath(), clock, environment, nullptr});
  user::SetText(application.hwnd(), Text(TextId::AppTitle));
  const ComScope com;
  ui::SystemConnectionServices services({environment->PlatformId(), clock, messages, registry.get(),
                                         &startup.progressLock, UpdateServerFromEnvironment()});
  ui::MainWindow::Setup mainSetup{environment,          &services, {},
                                  registry.get(),       nullptr,   startup.commandLine,
                                  startup.winVer};
  mainSetup.ledgerPath =
      usage::LedgerFolder(*MakeWin32Shell(), *MakeWin32FileSystem(), environment->ExecutablePath()) +
      usage::kLedgerFileName;
  ui::MainWindow main(std::move(mainSetup));
  if (!main.Create()) return 1;
  services.SetMainWindow(main.hwnd());
  application.SetMainWindow(main.hwnd());
  // RAS is bound per Windows generation; its waits serve this thread's
  // messages, and kMsgSystemConfigError goes to the main window.
  static const auto waiter = ras::MakeMessagesWaiter(*messages);
  ras::ConfigureRas({startup.rasLibrary.get(), startup.winVer, &startup.rasReadyWaitCount,
                     waiter.get(), messages.get(), reinterpret_cast<WindowHandle>(main.hwnd()),
                     std::chrono::milliseconds(500)});
  // This (the user-interface) thread answers presence's question for any thread.
  static ui::Win32UserQuestions questions;
  connection::ConfigurePresence({registry.get(), environment->PlatformId(), &questions});
  connection::ConfigureStatistics(registry.get());
  main.Prepare();
  main.ShowAtStart();

  return ui::RunMessageLoop();
}

}  // namespace dw
