#include "ui/connection_services_win.h"

#include "connection/current_connection.h"
#include "connection/presence.h"
#include "connection/stat_thread.h"
#include "connection/statistics.h"
#include "modem/modems.h"
#include "platform/tcp.h"
#include "platform/win32/adapters_win.h"
#include "platform/win32/wide.h"
#include "ui/framework/window_win.h"
#include "update/update_client.h"

namespace dw::ui {
namespace {

constexpr UINT kMsgAsk = WM_APP + 0x41;

struct Question {
  std::string_view text;
  HWND owner;
};

bool Ask(const Question& q) {
  const std::wstring text = Wide(q.text);
  const std::wstring title = Wide(TextId::QuestionTitle);
  return MessageBoxW(q.owner, text.c_str(), title.c_str(), MB_YESNO | MB_ICONERROR) == IDYES;
}

class StatThreadAdapter final : public StatisticsThread {
 public:
  explicit StatThreadAdapter(connection::TStatThread::Setup setup) : thread_(std::move(setup)) {}
  void SetBaseline(std::uint32_t received, std::uint32_t sent) override {
    thread_.SetBaseline(received, sent);
  }
  void Restart() override { thread_.Restart(); }
  void Resume() override { thread_.Resume(); }
  void Suspend() override { thread_.Pause(); }
  void Accumulate() override { thread_.Accumulate(); }
  std::uint32_t CurrentSpeed() const override { return thread_.CurrentSpeed(); }
  std::chrono::milliseconds ConnectedTime() const override { return thread_.ConnectedTime(); }
  bool Running() const override { return thread_.Running(); }
  void Terminate() override { thread_.Terminate(); }

 private:
  connection::TStatThread thread_;
};

}  // namespace

// A message-only window on the user-interface thread: a worker's question
// is shown there while the worker waits in its send.
class WindowQuestions::Relay final : public WindowBase {
 public:
  static constexpr const wchar_t* kClassName = L"DialwaveQuestions";
  Relay() {
    RegisterClassOnce(kClassName);
    Create(kClassName, 0, 0, L"", 0, 0, 0, 0, HWND_MESSAGE);
  }

 protected:
  bool OnMessage(UINT message, WPARAM, LPARAM lparam, LRESULT& result) override {
    if (message != kMsgAsk) return false;
    result = Ask(*reinterpret_cast<const Question*>(lparam)) ? 1 : 0;
    return true;
  }
};

WindowQuestions::WindowQuestions() : relay_(std::make_unique<Relay>()), uiThread_(GetCurrentThreadId()) {}
WindowQuestions::~WindowQuestions() = default;

bool WindowQuestions::AskErrorYesNo(std::string_view text) {
  const Question q{text, owner_};
  if (GetCurrentThreadId() == uiThread_ || relay_->hwnd() == nullptr) return Ask(q);
  return SendMessageW(relay_->hwnd(), kMsgAsk, 0, reinterpret_cast<LPARAM>(&q)) == 1;
}

SystemConnectionServices::SystemConnectionServices()
    : clock_(MakeSystemClock()), messages_(MakeWin32WindowMessages()) {}
SystemConnectionServices::~SystemConnectionServices() = default;

ras::Dword SystemConnectionServices::EnumDevices(std::vector<std::string>& names) {
  return modem::EnumDevices(names);
}

ras::Handle SystemConnectionServices::CheckAlreadyConnected(const std::string& modem,
                                                            std::string& entryName,
                                                            const std::vector<std::string>& apnList) {
  return connection::CheckAlreadyConnected(modem, entryName, apnList);
}

bool SystemConnectionServices::ConnIsOpen(ras::Handle conn) { return connection::ConnIsOpen(conn); }

bool SystemConnectionServices::CloseConnection(ras::Handle conn) {
  return connection::CloseConnection(conn);
}

ras::Dword SystemConnectionServices::GetStatistics(std::uint32_t& received, std::uint32_t& sent,
                                                   ras::Handle conn) {
  return connection::GetStatistics(received, sent, conn);
}

// The dial driver is not part of this build yet: a connect makes no
// connection.
ras::Handle SystemConnectionServices::OpenConnection(const std::string&, std::string&,
                                                     std::vector<std::string>&) {
  return 0;
}
void SystemConnectionServices::CancelOpenConnection() {}

void SystemConnectionServices::SetMainConnectionHandle(ras::Handle conn) {
  connection::SetMainConnectionHandle(conn);
}

std::unique_ptr<StatisticsThread> SystemConnectionServices::CreateStatThread() {
  connection::TStatThread::Setup setup;
  setup.messages = messages_;
  setup.clock = clock_;
  setup.target = reinterpret_cast<WindowHandle>(mainWindow_);
  setup.connIsOpen = [](ras::Handle conn) { return connection::ConnIsOpen(conn); };
  return std::make_unique<StatThreadAdapter>(std::move(setup));
}

void SystemConnectionServices::NotifyFirstStart(std::string& error, std::string& body) {
  UpdateClient client(UpdateServerFromEnvironment(), [] { return MakeTcpConnection(); }, *clock_);
  client.NotifyFirstStart(error, body);
}

}  // namespace dw::ui
