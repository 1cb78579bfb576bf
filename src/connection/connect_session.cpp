#include "connection/connect_session.h"

#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "connection/after_connect.h"
#include "connection/support_memory.h"
#include "log/log.h"
#include "ras/advice.h"
#include "ras/error_text.h"

namespace dw::connection {

void ConnectSession::Cancel() {
  closing_ = true;
  if (setup_.dial.progress) setup_.dial.progress->SetCancelled(true);
}

bool ConnectSession::Stopping() const {
  return closing_ || (setup_.dial.progress && setup_.dial.progress->Cancelled());
}

std::string ConnectSession::Status() const { return thread_ ? thread_->StatusText() : std::string(); }

ConnectResult ConnectSession::Run(const ConnectRequest& request, ConnectObserver& observer) {
  ConnectResult result;

  DialDependencies deps = setup_.dial;
  std::optional<AttemptRecorder> recorder;
  if (setup_.supportMemory && !deps.attempts) deps.attempts = &recorder.emplace(*setup_.supportMemory);
  DialThread thread(deps);
  // On the way out (an error broke the wait) a thread still running is
  // cancelled and served to its end: it may be waiting on a message to this
  // thread.
  struct Finish {
    ConnectSession& session;
    DialThread& thread;
    ConnectObserver& observer;
    ~Finish() {
      if (!thread.Terminated()) {
        session.setup_.dial.progress->SetCancelled(true);
        while (!thread.Terminated()) observer.Serve(thread.TerminatedEvent(), kDialPass);
      }
      session.thread_ = nullptr;
    }
  } finish{*this, thread, observer};
  thread_ = &thread;
  thread.Resume({request.modem, request.entryName, request.apnList});

  while (!thread.Terminated()) {
    if (!observer.Serve(thread.TerminatedEvent(), kDialPass)) Cancel();
  }
  const DialResult& dialled = thread.Result();
  result.handle = dialled.connection;
  result.entryName = dialled.entryName;
  result.apnList = dialled.apns;

  // An error from here on keeps what the dial gave.
  try {
    if (const ras::Handle conn = dialled.connection) {
      observer.Connected(conn);
      if ((request.refreshApns || request.notifyFirstStart) && setup_.updateClient && !closing_) {
        AfterConnect(request, observer, result);
      }
    } else if (!closing_) {
      ProgressShared& progress = *setup_.dial.progress;
      const ErrorReport report = ErrorReportFor(progress.ErrorCode());
      if (!report.keepDetails) {
        progress.SetErrorText({});
      } else if (progress.ErrorCode() != 0) {
        // What the subscriber can do, under the system's text.
        progress.SetErrorText(ras::ErrorDetailsWithAdvice(progress.ErrorText(), progress.ErrorCode()));
      }
      observer.Failed(report);
    }
  } catch (const std::exception& e) {
    WriteLog("OpenConnection", ras::kCaughtErrorCode, e.what());
  }
  return result;
}

// On a worker, the user-interface thread served meanwhile. Cancel, the
// user's cancel or the program's end leaves it behind with nothing kept.
void ConnectSession::AfterConnect(const ConnectRequest& request, ConnectObserver& observer,
                                  ConnectResult& result) {
  if (request.refreshApns) observer.Updating();
  AfterConnectRequest after;
  after.notifyFirstStart = request.notifyFirstStart;
  after.refreshApns = request.refreshApns;
  after.versionKey = request.versionKey;
  after.apnList = result.apnList;
  AfterConnectJob job(setup_.updateClient(), std::move(after), setup_.dial.messages->NewEvent());
  while (!job.Finished()) {
    if (Stopping()) {
      WriteLog("OpenConnection", 0, "update abandoned");
      // The notice was tried: it is not sent twice, and the log says how
      // it ended, as when the connection was found already up.
      if (request.notifyFirstStart) WriteLog("FIRST_START", 888, "abandoned");
      result.firstStartNotified = request.notifyFirstStart;
      return;
    }
    if (!observer.Serve(job.Done(), kUpdatePass)) Cancel();
  }
  const std::optional<AfterConnectResult> done = job.Take();
  if (!done) return;
  LogAfterConnect(*done);
  if (setup_.supportMemory) {
    if (const auto answer = UpdateAnswerText(*done, request.refreshApns)) {
      report::StoreUpdateAnswer(*setup_.supportMemory, {setup_.dial.clock->Now(), *answer});
    }
  }
  result.firstStartNotified = done->firstStartNotified;
  if (done->apnsRefreshed) {
    result.apnsRefreshed = true;
    result.version = done->version;
    result.apnList = done->apnList;
  }
}

}  // namespace dw::connection
