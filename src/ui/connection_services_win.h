// The main window's connection services on the real system: the modem list,
// presence and hang-up, the statistics and their sampling thread, and the
// update server's first-start notice; also the user's questions that the
// connection layer asks from any thread.
#pragma once

#include "platform/win32/win.h"

#include <memory>

#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/user_questions.h"
#include "ui/main_view.h"

namespace dw::ui {

// Questions shown on the user-interface thread (the thread that created
// this object), whichever thread asks.
class WindowQuestions final : public UserQuestions {
 public:
  WindowQuestions();
  ~WindowQuestions() override;
  // The window the question boxes belong to.
  void SetOwner(HWND owner) { owner_ = owner; }
  bool AskErrorYesNo(std::string_view text) override;

 private:
  class Relay;
  std::unique_ptr<Relay> relay_;
  DWORD uiThread_;
  HWND owner_ = nullptr;
};

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
  std::shared_ptr<Clock> clock_;
  std::shared_ptr<WindowMessages> messages_;
};

}  // namespace dw::ui
