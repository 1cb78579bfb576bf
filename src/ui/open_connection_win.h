// OpenConnection: the one way the main window connects. A Win32 shell over
// the connect session: the progress dialog shows what the session tells it,
// the main window gets kMsgConnected, and the user-interface thread is served
// whenever the session waits.
#pragma once

#include "platform/win32/win.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/registry.h"
#include "ras/context.h"
#include "ras/records.h"
#include "connection/open_connection.h"
#include "update/update_client.h"
#include "platform/threads.h"

namespace dw::connection {

// What the driver works with; everything outlives the call.
struct OpenConnectionContext {
  // Gets kMsgConnected and kMsgTrafficBaseline; owns the dialog.
  HWND mainWindow = nullptr;
  Registry* registry = nullptr;      // the modems' "UserInit"
  std::uint32_t platformId = 2;      // Environment::PlatformId()
  WindowMessages* messages = nullptr;
  Clock* clock = nullptr;
  ras::RasWaiter* waiter = nullptr;  // the dial's waits; null: one on `messages`
  dw::Mutex* progressLock = nullptr;
  // A client for the exchanges after a connection; it goes to a worker that
  // may outlive the call. Empty: no refresh and no notice.
  std::function<std::unique_ptr<UpdateClient>()> updateClient;
};

// Runs on the user-interface thread and keeps serving it throughout, also
// while the update server is asked (on a worker; Cancel or the program's
// end abandons that exchange and leaves list and version as they were).
ConnectResult OpenConnection(const ConnectRequest& request, const OpenConnectionContext& context);

// True while OpenConnection runs (its dialog is up).
bool OpenConnectionRunning();
// The running OpenConnection's dialog, or null.
HWND OpenConnectionDialog();
// For the main window's close: the running dial is cancelled and cleans up,
// a running update is abandoned; OpenConnection then returns without its
// error report. The caller keeps
// its window until OpenConnection has returned (OpenConnectionRunning()).
void CancelOpenConnection();

}  // namespace dw::connection
