// The main window's connection services on the real system: the modem list
// of the RAS layer and the update server's first-start notice.
#pragma once

#include "platform/win32/win.h"

#include <memory>

#include "platform/clock.h"
#include "ui/main_view.h"

namespace dw::ui {

class SystemConnectionServices final : public ConnectionServices {
 public:
  SystemConnectionServices();
  ~SystemConnectionServices() override;

  // The window the statistics and the driver report to.
  void SetMainWindow(HWND window) { mainWindow_ = window; }

  ras::Dword EnumDevices(std::vector<std::string>& names) override;
  ras::Handle CheckAlreadyConnected(const std::string& modem, std::string& entryName,
                                    const std::vector<std::string>& apnList) override;
  bool ConnIsOpen(ras::Handle conn) override;
  bool CloseConnection(ras::Handle conn) override;
  ras::Dword GetStatistics(std::uint32_t& received, std::uint32_t& sent, ras::Handle conn) override;
  ras::Handle OpenConnection(const std::string& modem, std::string& entryName,
                             std::vector<std::string>& apnList) override;
  void CancelOpenConnection() override;
  void SetMainConnectionHandle(ras::Handle conn) override;
  std::unique_ptr<StatisticsThread> CreateStatThread() override;
  void NotifyFirstStart(std::string& error, std::string& body) override;

 private:
  HWND mainWindow_ = nullptr;
  std::unique_ptr<Clock> clock_;
};

}  // namespace dw::ui
