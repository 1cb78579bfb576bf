#include "connection/open_connection_win.h"

#include <exception>
#include <memory>

#include "connection/dial_thread.h"
#include "connection/open_connection.h"
#include "log/log.h"
#include "ras/error_text.h"
#include "text/texts.h"
#include "ui/dialogs/progress_win.h"
#include "ui/framework/message_loop_win.h"
#include "ui/messages.h"
#include "update/update_steps.h"

namespace dw::connection {
namespace {

// The dialog of the running call, and whether the program asked it to stop.
// Only the user-interface thread touches these.
ui::TfrmProgress* g_progress = nullptr;
bool g_closing = false;

struct ProgressReference {
  explicit ProgressReference(ui::TfrmProgress& form) {
    g_progress = &form;
    g_closing = false;
  }
  ~ProgressReference() { g_progress = nullptr; }
};

}  // namespace

bool OpenConnectionRunning() { return g_progress != nullptr; }

void CancelOpenConnection() {
  if (!g_progress) return;
  g_closing = true;
  g_progress->Shared().SetCancelled(true);
}

ras::Handle OpenConnection(const std::string& modemName, std::string& entryName,
                           std::vector<std::string>& apnList, const OpenConnectionContext& context) {
  ras::Handle result = 0;
  try {
    ui::TfrmProgress frm(context.mainWindow, *context.progressLock);
    ProgressReference reference(frm);
    frm.ResetForDialling();
    frm.ShowDialling(Text(TextId::ConnSearching));
    ui::DrainMessages(frm.hwnd());

    std::unique_ptr<ras::RasWaiter> ownWaiter;
    ras::RasWaiter* waiter = context.waiter;
    if (!waiter) {
      ownWaiter = ras::MakeMessagesWaiter(*context.messages);
      waiter = ownWaiter.get();
    }
    DialDependencies deps;
    deps.registry = context.registry;
    deps.platformId = context.platformId;
    deps.messages = context.messages;
    deps.mainWindow = reinterpret_cast<WindowHandle>(context.mainWindow);
    deps.progress = &frm.Shared();
    deps.clock = context.clock;
    deps.waiter = waiter;

    TDialThread thread(deps);
    thread.SetReturnValue(0);
    thread.ModemName = modemName;
    thread.EntryName = entryName;
    thread.ApnList = &apnList;
    frm.SetStatusSource([&thread] { return thread.StatusText(); });
    // Before the thread object goes: a thread still running (an error broke
    // the wait) is cancelled and served until it ends, since it may be
    // waiting on a message to this thread; and the status source that reads
    // it is taken away.
    struct Finish {
      TDialThread& thread;
      ui::TfrmProgress& form;
      WindowMessages& messages;
      ~Finish() {
        if (!thread.Terminated()) {
          form.Shared().SetCancelled(true);
          while (!thread.Terminated()) {
            messages.WaitServing(thread.TerminatedEvent(), std::chrono::milliseconds(500));
            ui::DrainMessages(form.hwnd());
          }
        }
        form.SetStatusSource({});
      }
    } finish{thread, frm, *context.messages};
    thread.Resume();

    // The thread's step messages and the dialog's buttons are served here;
    // the wait ends as soon as the thread is done.
    while (!thread.Terminated()) {
      context.messages->WaitServing(thread.TerminatedEvent(), std::chrono::milliseconds(500));
      if (!ui::DrainMessages(frm.hwnd())) CancelOpenConnection();  // the program is ending
    }
    thread.WaitFor();

    result = thread.ReturnValue();
    entryName = thread.EntryName;

    try {
      if (const ras::Handle conn = thread.Connection()) {
        SendMessageA(context.mainWindow, kMsgConnected, static_cast<WPARAM>(conn), 0);
        if (context.apnListUpdated && !*context.apnListUpdated && context.updateClient &&
            context.settings) {
          frm.lblProgress.SetText(Text(TextId::ConnApnUpdate));
          ui::DrainMessages(frm.hwnd());
          std::string version = BuildVersionKey(*context.settings);
          if (UpdateApnList(*context.updateClient, version, apnList)) {
            *context.apnListUpdated = true;
            StoreApnVersion(*context.settings, version);
          }
        }
      } else if (!g_closing) {
        const ErrorReport report = ErrorReportFor(frm.Shared().ErrorCode());
        if (!report.keepDetails) frm.Shared().SetErrorText({});
        frm.EnterErrorReport(report.caption);
        frm.ShowModal();
      }
    } catch (const std::exception& e) {
      WriteLog("OpenConnection", ras::kCaughtErrorCode, e.what());
    }
  } catch (const std::exception& e) {
    WriteLog("OpenConnection", ras::kCaughtErrorCode, e.what());
  } catch (...) {
    WriteLog("OpenConnection", ras::kCaughtErrorCode, "unknown error");
  }
  return result;
}

}  // namespace dw::connection
