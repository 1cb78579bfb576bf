#include "ui/open_connection_win.h"

#include <exception>
#include <memory>

#include "connection/connect_session.h"
#include "log/log.h"
#include "platform/message_numbers.h"
#include "platform/win32/adapters_win.h"
#include "ras/error_text.h"
#include "text/texts.h"
#include "ui/dialogs/progress_win.h"
#include "ui/dialogs/question_win.h"
#include "ui/framework/message_loop_win.h"

namespace dw::connection {
namespace {

// The session of the running call and its dialog. Only the user-interface
// thread touches them.
ConnectSession* g_session = nullptr;
HWND g_dialog = nullptr;

struct SessionReference {
  explicit SessionReference(ConnectSession& session) { g_session = &session; }
  ~SessionReference() { g_session = nullptr; }
};
struct DialogReference {
  explicit DialogReference(HWND dialog) { g_dialog = dialog; }
  ~DialogReference() { g_dialog = nullptr; }
};

// The session's waits and news, on the progress dialog and the main window.
class DialogObserver final : public ConnectObserver {
 public:
  DialogObserver(ui::ProgressDialog& frm, const OpenConnectionContext& context)
      : frm_(frm), context_(context) {}

  bool Serve(const Event& event, std::chrono::milliseconds limit) override {
    context_.messages->WaitServing(event, limit);
    return ui::DrainMessages(frm_.hwnd());
  }
  void Connected(ras::Handle conn) override {
    SendMessageA(context_.mainWindow, kMsgConnected, static_cast<WPARAM>(conn), 0);
  }
  void Updating() override {
    frm_.statusLine.SetText(Text(TextId::ConnApnUpdate));
    ui::DrainMessages(frm_.hwnd());
  }
  void Failed(const ErrorReport& report) override {
    frm_.EnterErrorReport(report.caption);
    frm_.ShowModal();
  }

 private:
  ui::ProgressDialog& frm_;
  const OpenConnectionContext& context_;
};

}  // namespace

bool OpenConnectionRunning() { return g_session != nullptr; }

HWND OpenConnectionDialog() { return g_dialog; }

void CancelOpenConnection() {
  if (g_session) g_session->Cancel();
}

ConnectResult OpenConnection(const ConnectRequest& request, const OpenConnectionContext& context) {
  ConnectResult result;
  result.entryName = request.entryName;
  result.apnList = request.apnList;
  try {
    ui::ProgressDialog frm(context.mainWindow, *context.progressLock);
    DialogReference dialog(frm.hwnd());
    frm.ResetForDialling();
    frm.ShowDialling(Text(TextId::ConnSearching));
    ui::DrainMessages(frm.hwnd());

    std::unique_ptr<ras::RasWaiter> ownWaiter;
    ras::RasWaiter* waiter = context.waiter;
    if (!waiter) {
      ownWaiter = ras::MakeMessagesWaiter(*context.messages);
      waiter = ownWaiter.get();
    }
    ConnectSetup setup;
    setup.dial.registry = context.registry;
    setup.dial.platformId = context.platformId;
    setup.dial.messages = context.messages;
    setup.dial.mainWindow = reinterpret_cast<WindowHandle>(context.mainWindow);
    setup.dial.progress = &frm.Shared();
    setup.dial.clock = context.clock;
    setup.dial.waiter = waiter;
    // A write the dial needs and the system refuses is told and asked about
    // on this (the user-interface) thread, whichever thread meets it.
    ui::Win32UserQuestions questions;
    const std::unique_ptr<Elevation> elevation = MakeWin32Elevation();
    setup.dial.questions = &questions;
    setup.dial.elevation = elevation.get();
    setup.updateClient = context.updateClient;
    setup.supportMemory = context.registry;

    ConnectSession session(std::move(setup));
    SessionReference reference(session);
    frm.SetStatusSource([&session] { return session.Status(); });
    struct Unhook {
      ui::ProgressDialog& form;
      ~Unhook() { form.SetStatusSource({}); }
    } unhook{frm};
    DialogObserver observer(frm, context);
    result = session.Run(request, observer);
  } catch (const std::exception& e) {
    WriteLog("OpenConnection", ras::kCaughtErrorCode, e.what());
  } catch (...) {
    WriteLog("OpenConnection", ras::kCaughtErrorCode, "unknown error");
  }
  return result;
}

}  // namespace dw::connection
