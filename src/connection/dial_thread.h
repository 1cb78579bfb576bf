// DialThread: turns "connect through this modem" into a RAS connection. It
// adopts a connection that is already up, or makes sure the phone-book entry
// is usable and dials it once per APN and number until one connects, showing
// its progress on the progress dialog and using the bar as the time limit.
//
// Lifecycle: construct (suspended), Resume with the request; wait until
// Terminated() (TerminatedEvent() wakes a waiter), then read Result() and
// destroy the object. The thread sends to the progress window and the main
// window synchronously, so whoever waits for it must keep serving the
// user-interface thread's messages.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/elevation.h"
#include "platform/messages.h"
#include "platform/registry.h"
#include "ras/context.h"
#include "ras/records.h"
#include "text/texts.h"
#include "connection/progress_shared.h"
#include "modem/modems.h"
#include "platform/threads.h"
#include "platform/user_questions.h"

namespace dw::connection {

// One dial's end, as the dial thread tells it.
struct DialAttempt {
  LocalDateTime started;  // by the dependencies' clock
  std::string apn;        // trimmed, as dialled
  std::string number;
  ras::Dword code = 0;    // RAS's code; 0 when none came
  bool connected = false;
  bool timedOut = false;  // the bar ran out with no word from RAS
};

class DialAttemptListener {
 public:
  virtual ~DialAttemptListener() = default;
  // On the dial thread, as each dial ends.
  virtual void AttemptEnded(const DialAttempt& attempt) = 0;
};

// What a dial thread works with. Every pointer is required and must outlive
// the thread.
struct DialDependencies {
  Registry* registry = nullptr;     // the modems' driver keys ("UserInit")
  std::uint32_t platformId = 2;     // 1: Windows 9x layout of those keys, 2: NT
  WindowMessages* messages = nullptr;
  WindowHandle mainWindow = 0;      // receives kMsgTrafficBaseline; 0: none
  ProgressShared* progress = nullptr;  // the progress dialog's shared side
  Clock* clock = nullptr;           // the pause between two dial starts
  ras::RasWaiter* waiter = nullptr; // the passes of the wait for a dial
  DialAttemptListener* attempts = nullptr;  // optional: told of each dial's end
  // Where the system refuses a write the dial needs (a limited user, a
  // standard user from Vista on): who is told and asked, and the step run
  // as administrator. Null: nobody is asked and the dial goes on as it can.
  UserQuestions* questions = nullptr;
  Elevation* elevation = nullptr;
};

// The RAS user name and password of every dial.
inline constexpr std::string_view kOperatorLogin = "pvlok";
inline constexpr std::chrono::milliseconds kDialPass{500};
inline constexpr std::chrono::milliseconds kDialRestartPause{5000};
// The code a dial ends with when its handle went away without a notification
// saying so (the network dropped it): the port was disconnected by the
// remote machine.
inline constexpr ras::Dword kDialDroppedError = 629;

// Codes after which the next number or APN is worth a try.
bool IsRetryableDialError(ras::Dword code);
// AT+CGDCONT=1,"IP","<apn>"
inline std::string ApnCommand(std::string_view apn) { return modem::ApnInitCommand(apn); }
// Without leading and trailing blanks and control characters.
std::string TrimApn(std::string_view apn);
// How long the administrator's step may take once the system started it.
inline constexpr std::chrono::milliseconds kAdministratorStepLimit{60000};

// What a dial thread is asked to connect.
struct DialRequest {
  std::string modem;
  std::string entryName;          // the remembered phone-book entry; may be empty
  std::vector<std::string> apns;  // in the order they are tried
};

// What a dial thread ended with.
struct DialResult {
  ras::Handle connection = 0;     // made or adopted; 0 when none
  std::string entryName;          // the entry used, which may be another than asked
  std::vector<std::string> apns;  // the request's, the APN that connected first
};

class DialThread {
 public:
  explicit DialThread(const DialDependencies& deps);
  // Waits for Execute to end: destroy only after Terminated(), or from a
  // thread that is not the one serving the thread's messages.
  ~DialThread();
  DialThread(const DialThread&) = delete;
  DialThread& operator=(const DialThread&) = delete;

  // Starts the dial on a thread of its own; once.
  void Resume(DialRequest request);
  void Terminate();
  bool Terminated() const { return terminated_.load(std::memory_order_acquire); }
  // Set together with the terminated flag.
  const Event& TerminatedEvent() const { return *terminatedEvent_; }
  // Waits until Execute has returned.
  void WaitFor();
  // Once Terminated(): waits for the thread's end, then what it ended with.
  const DialResult& Result();
  // The progress line; safe from any thread.
  std::string StatusText() const;

  // The RAS progress notification (notifier type 0). Acts on the running
  // dial thread; a notification that comes when none runs is ignored.
  static void DW_RASAPI DialNotify(unsigned msg, ras::Dword state, ras::Dword error);

  // What the running thread and its notifications share.
  struct Shared;

 private:
  void Execute();
  void Run();
  void Dial(std::vector<std::uint8_t>& entry, const std::string& ownNumber);
  // One dial of `attempt`'s number, the handle left in held_: the
  // parameters logged, the dial started (a second time when RAS refused to
  // start it), the wait to its end. Tells `attempt` when it started and
  // whether it connected or ran the bar out.
  void DialOnce(std::vector<std::uint8_t>& params, DialAttempt& attempt,
                const std::string& loggedApn);
  // The attempt connected: the list and the entry remember what worked.
  void Connected(std::vector<std::uint8_t>& entry, const std::string& ownNumber,
                 std::size_t listed, bool selected, const DialAttempt& attempt);
  // The attempt failed: the modem's own command back, the handle hung up.
  // True when the next attempt is worth it; `attempt` gets the code.
  bool Failed(modem::ModemInitStore& store, const std::string& savedInit, DialAttempt& attempt);
  // Whether the administrator's step is still to be asked for, was agreed
  // to, is out of the question for this dial, or has not ended.
  enum class AdminStep { kNotAsked, kAgreed, kNo, kUnfinished };
  // Gives the modem the command of `apn`; where the system refuses, through
  // the administrator's step when `admin` allows. True when the modem holds
  // that command now.
  bool SelectApn(modem::ModemInitStore& store, const std::string& apn, AdminStep& admin);
  void TellUser(TextId text);
  void SetStatus(std::string text);
  void ReportStep();
  void SendProgress(std::uint32_t message);
  bool WaitEnds() const;
  void NoticeDialGone();
  void HangUpQuietly();

  DialDependencies deps_;
  std::shared_ptr<Shared> shared_;
  std::unique_ptr<Event> terminatedEvent_;
  std::atomic<bool> terminated_{false};
  std::string modem_;
  // The worker's alone until it has ended.
  DialResult result_;
  // The current dial's handle, or the adopted one; 0 when none.
  ras::Handle held_ = 0;
  dw::Thread thread_;
};

// The dial thread whose notifications DialNotify serves now, for tests: true
// while one is registered.
bool DialThreadRegistered();

}  // namespace dw::connection
