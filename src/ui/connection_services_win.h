// The main window's connection services on the real system: the modem list,
// presence and hang-up, the statistics and their sampling thread, and the
// update server's first-start notice, and the dial driver.
#pragma once

#include "platform/win32/win.h"

#include <memory>

#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/registry.h"
#include "platform/threads.h"
#include "ui/main_view.h"
#include "update/update_client.h"

namespace dw::ui {

class SystemConnectionServices final : public ConnectionServices {
 public:
  // What the program built once at its start; all of it outlives this.
  struct Setup {
    std::uint32_t platformId = 2;
    std::shared_ptr<Clock> clock;
    std::shared_ptr<WindowMessages> messages;
    Registry* registry = nullptr;       // the modems' "UserInit"
    dw::Mutex* progressLock = nullptr;  // the progress dialog's shared side
    UpdateServer updateServer;
  };
  explicit SystemConnectionServices(Setup setup);
  ~SystemConnectionServices() override;

  // The window the statistics and the driver report to.
  void SetMainWindow(HWND window) { mainWindow_ = window; }

  ras::Dword EnumDevices(std::vector<std::string>& names) override;
  ras::Handle CheckAlreadyConnected(const std::string& modem, std::string& entryName,
                                    const std::vector<std::string>& apnList) override;
  bool ConnIsOpen(ras::Handle conn) override;
  bool CloseConnection(ras::Handle conn) override;
  ras::Dword GetStatistics(std::uint32_t& received, std::uint32_t& sent, ras::Handle conn) override;
  connection::ConnectResult OpenConnection(const connection::ConnectRequest& request) override;
  void CancelOpenConnection() override;
  WindowHandle ProgressWindow() const override;
  void SetMainConnectionHandle(ras::Handle conn) override;
  std::unique_ptr<StatisticsThread> CreateStatThread() override;
  void NotifyFirstStart(std::string& error, std::string& body) override;

 private:
  std::unique_ptr<UpdateClient> MakeUpdateClient() const;

  HWND mainWindow_ = nullptr;
  Setup setup_;
};

}  // namespace dw::ui
