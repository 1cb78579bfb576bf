#include "connection/open_connection_win.h"

#include <exception>
#include <memory>

#include "connection/after_connect.h"
#include "connection/dial_thread.h"
#include "connection/open_connection.h"
#include "log/log.h"
#include "ras/error_text.h"
#include "text/texts.h"
#include "ui/dialogs/progress_win.h"
#include "ui/framework/message_loop_win.h"
#include "ui/messages.h"

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

// The exchanges after a connection, on a worker, while the dialog goes on
// painting and answering. Cancel or the program's end leaves them behind.
void RunAfterConnectServing(ui::TfrmProgress& frm, const ConnectRequest& request,
                            const OpenConnectionContext& context, ConnectResult& result) {
  AfterConnectRequest after;
  after.notifyFirstStart = request.notifyFirstStart;
  after.refreshApns = request.refreshApns;
  after.versionKey = request.versionKey;
  after.apnList = result.apnList;
  AfterConnectJob job(context.updateClient(), std::move(after), context.messages->NewEvent());
  while (!job.Finished()) {
    if (g_closing || frm.Shared().Cancelled()) {
      WriteLog("OpenConnection", 0, "update abandoned");
      // The notice was tried: it is not sent twice.
      result.firstStartNotified = request.notifyFirstStart;
      return;
    }
    context.messages->WaitServing(job.Done(), std::chrono::milliseconds(100));
    if (!ui::DrainMessages(frm.hwnd())) CancelOpenConnection();  // the program is ending
  }
  const std::optional<AfterConnectResult> done = job.Take();
  if (!done) return;
  LogAfterConnect(*done);
  result.firstStartNotified = done->firstStartNotified;
  if (done->apnsRefreshed) {
    result.apnsRefreshed = true;
    result.version = done->version;
    result.apnList = done->apnList;
  }
}

}  // namespace

bool OpenConnectionRunning() { return g_progress != nullptr; }

void CancelOpenConnection() {
  if (!g_progress) return;
  g_closing = true;
  g_progress->Shared().SetCancelled(true);
}

ConnectResult OpenConnection(const ConnectRequest& request, const OpenConnectionContext& context) {
  ConnectResult result;
  result.entryName = request.entryName;
  result.apnList = request.apnList;
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
    thread.ModemName = request.modem;
    thread.EntryName = request.entryName;
    // Only the dial thread touches this copy until it has ended.
    std::vector<std::string> apns = request.apnList;
    thread.ApnList = &apns;
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

    result.handle = thread.ReturnValue();
    result.entryName = thread.EntryName;
    result.apnList = apns;

    try {
      if (const ras::Handle conn = thread.Connection()) {
        SendMessageA(context.mainWindow, kMsgConnected, static_cast<WPARAM>(conn), 0);
        if ((request.refreshApns || request.notifyFirstStart) && context.updateClient &&
            !g_closing) {
          if (request.refreshApns) frm.lblProgress.SetText(Text(TextId::ConnApnUpdate));
          ui::DrainMessages(frm.hwnd());
          RunAfterConnectServing(frm, request, context, result);
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
