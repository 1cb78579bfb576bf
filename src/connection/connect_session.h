// One connect from start to end, with no window of its own: the dial thread
// adopts or dials, then with a connection the first-start notice and the APN
// refresh run on a worker; without one the session picks the error report.
// It takes one request value and gives back one result value; a shell shows
// what the observer is told and serves the user-interface thread whenever
// the session waits, so that thread never stops answering.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "connection/dial_thread.h"
#include "connection/open_connection.h"
#include "platform/messages.h"
#include "update/update_client.h"

namespace dw::connection {

class ConnectObserver {
 public:
  virtual ~ConnectObserver() = default;
  // Serves the user-interface thread until `event` is set or `limit` has
  // passed. False when the program is ending: the session then cancels.
  virtual bool Serve(const Event& event, std::chrono::milliseconds limit) = 0;
  // A connection exists (kMsgConnected); nothing has been asked of the server yet.
  virtual void Connected(ras::Handle conn) = 0;
  // The APN refresh starts.
  virtual void Updating() = 0;
  // No connection: the report the user reads and closes. Not after Cancel.
  virtual void Failed(const ErrorReport& report) = 0;
};

struct ConnectSetup {
  DialDependencies dial;
  // A client for the exchanges after a connection; it goes to a worker that
  // may outlive the session. Empty: no refresh and no notice.
  std::function<std::unique_ptr<UpdateClient>()> updateClient;
  // Where each dial's end and the update server's answer are remembered for
  // the support report; null: nowhere.
  Registry* supportMemory = nullptr;
};

class ConnectSession {
 public:
  explicit ConnectSession(ConnectSetup setup) : setup_(std::move(setup)) {}
  ConnectSession(const ConnectSession&) = delete;
  ConnectSession& operator=(const ConnectSession&) = delete;

  // On the user-interface thread, once.
  ConnectResult Run(const ConnectRequest& request, ConnectObserver& observer);

  // The program is ending: the dial is cancelled and cleans up, an update is
  // abandoned, and no report is shown. From the user-interface thread.
  void Cancel();
  // The running dial's status line; from the user-interface thread.
  std::string Status() const;

  // How often a wait looks at the cancel requests.
  static constexpr std::chrono::milliseconds kUpdatePass{100};

 private:
  // Cancel, or the user's cancel on the progress dialog.
  bool Stopping() const;
  void AfterConnect(const ConnectRequest& request, ConnectObserver& observer,
                    ConnectResult& result);

  ConnectSetup setup_;
  DialThread* thread_ = nullptr;
  bool closing_ = false;
};

}  // namespace dw::connection
