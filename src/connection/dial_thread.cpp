#include "connection/dial_thread.h"

#include <algorithm>
#include <cstddef>
#include <exception>
#include <optional>
#include <utility>

#include "connection/presence.h"
#include "connection/set_init.h"
#include "connection/statistics.h"
#include "log/log.h"
#include "modem/modems.h"
#include "phonebook/phonebook.h"
#include "ras/binding.h"
#include "ras/error_text.h"
#include "ras/record_access.h"
#include "text/fold.h"
#include "text/texts.h"
#include "platform/message_numbers.h"
#include "platform/threads.h"

namespace dw::connection {

using ras::Dword;
using ras::Handle;

struct DialThread::Shared {
  WindowMessages* messages = nullptr;
  ProgressShared* progress = nullptr;

  mutable dw::Mutex statusMutex;
  std::string status;

  std::atomic<bool> dialDone{false};
  std::atomic<int> dialOutcome{7};

  // The event that ends the current pass of the wait early.
  dw::Mutex wakeMutex;
  Event* wake = nullptr;

  void SetStatus(std::string text) {
    std::lock_guard lock(statusMutex);
    status = std::move(text);
  }
  void ReportStep() const {
    if (const WindowHandle window = progress->Window()) {
      messages->Send(window, kMsgProgressStep, 1, 0);
    }
  }
  void Wake() {
    std::lock_guard lock(wakeMutex);
    if (wake) wake->Set();
  }
};

namespace {

constexpr std::uint32_t kPlatformNt = 2;
constexpr int kPending = 7;
constexpr int kConnected = 1;
constexpr int kGaveUp = 2;

constexpr Dword kRetryable[] = {629, 660, 668, 676, 678, 691, 719, 730, 734, 736, 749, 645};

// The one dial thread DialNotify acts on. A notification holds `active` up
// while it works on the thread's shared block, and the thread waits for none
// to be active after it has left the registry: a late notification then
// finds nothing, and none can outlive the windows it sends to.
struct Registry {
  dw::Mutex mutex;
  dw::ConditionVariable idle;
  DialThread::Shared* current = nullptr;
  int active = 0;
};

Registry& Running() {
  static Registry registry;
  return registry;
}

class Registration {
 public:
  explicit Registration(DialThread::Shared* shared) : shared_(shared) {
    std::lock_guard lock(Running().mutex);
    Running().current = shared_;
  }
  ~Registration() {
    Registry& r = Running();
    std::unique_lock lock(r.mutex);
    if (r.current == shared_) r.current = nullptr;
    r.idle.wait(lock, [&] { return r.active == 0; });
  }
  Registration(const Registration&) = delete;
  Registration& operator=(const Registration&) = delete;

 private:
  DialThread::Shared* shared_;
};

std::string WithCode(TextId text, Dword code) { return Text(text) + std::to_string(code); }

// The status line of a connection state; nullopt for states that leave it.
const std::string* StateText(Dword state) {
  TextId id;
  switch (state) {
    case ras::kOpenPort: id = TextId::RasStateOpenPort; break;
    case ras::kPortOpened: id = TextId::RasStatePortOpened; break;
    case ras::kConnectDevice: id = TextId::RasStateConnectDevice; break;
    case ras::kDeviceConnected: id = TextId::RasStateDeviceConnected; break;
    case ras::kAllDevicesConnected: id = TextId::RasStateAllDevicesConnected; break;
    case ras::kAuthenticate: id = TextId::RasStateAuthenticate; break;
    case ras::kAuthNotify: id = TextId::RasStateAuthNotify; break;
    case ras::kAuthRetry: id = TextId::RasStateAuthRetry; break;
    case ras::kAuthCallback: id = TextId::RasStateAuthCallback; break;
    case ras::kAuthChangePassword: id = TextId::RasStateAuthChangePassword; break;
    case ras::kAuthProject: id = TextId::RasStateAuthProject; break;
    case ras::kAuthLinkSpeed: id = TextId::RasStateAuthLinkSpeed; break;
    case ras::kAuthAck: id = TextId::RasStateAuthAck; break;
    case ras::kReAuthenticate: id = TextId::RasStateReAuthenticate; break;
    case ras::kAuthenticated: id = TextId::RasStateAuthenticated; break;
    case ras::kPrepareForCallback: id = TextId::RasStatePrepareForCallback; break;
    case ras::kWaitForModemReset: id = TextId::RasStateWaitForModemReset; break;
    case ras::kWaitForCallback: id = TextId::RasStateWaitForCallback; break;
    case ras::kProjected: id = TextId::RasStateProjected; break;
    case ras::kStartAuthentication: id = TextId::RasStateAuthenticate; break;
    case ras::kCallbackComplete: id = TextId::RasStateCallbackComplete; break;
    case ras::kLogonNetwork: id = TextId::RasStateLogonNetwork; break;
    case ras::kInteractive: id = TextId::RasStateInteractive; break;
    case ras::kRetryAuthentication: id = TextId::RasStateRetryAuthentication; break;
    case ras::kCallbackSetByCaller: id = TextId::RasStateCallbackSetByCaller; break;
    case ras::kPasswordExpired: id = TextId::RasStatePasswordExpired; break;
    case ras::kInvokeEapUi: id = TextId::RasStateInvokeEapUi; break;
    default: return nullptr;
  }
  return &Text(id);
}

// The code and the outcome are stored before the step: a step that brings
// the bar to its end ends the dial thread's wait, and the thread judges the
// attempt from them (a time-out when neither is there). The wake comes last,
// so the thread's own messages after its wait follow the step.
void Notify(DialThread::Shared& t, Dword state, Dword error) {
  if (error != 0) {
    t.SetStatus(WithCode(TextId::DialLinkError, error));
    t.progress->SetErrorText(ras::GetRasErrorDescr(error));
    t.progress->SetErrorCode(error);
    t.ReportStep();
    t.Wake();
    return;
  }
  if (const std::string* text = StateText(state)) t.SetStatus(*text);
  bool ends = false;
  switch (state) {
    case ras::kSubEntryConnected:
    case ras::kConnected:
      t.dialOutcome.store(kConnected);
      ends = true;
      break;
    case ras::kSubEntryDisconnected:
    case ras::kDisconnected:
      ends = true;
      break;
    default:
      break;
  }
  if (ends) t.dialDone.store(true);
  t.ReportStep();
  if (ends) t.Wake();
}

// Offsets shared by every generation: each later record starts with the
// earlier one.
constexpr std::size_t kEntryPhone = offsetof(ras::v400::RasEntryA, szLocalPhoneNumber);
constexpr std::size_t kParamsEntry = offsetof(ras::v401::RasDialParamsA, szEntryName);
constexpr std::size_t kParamsPhone = offsetof(ras::v401::RasDialParamsA, szPhoneNumber);
constexpr std::size_t kParamsUser = offsetof(ras::v401::RasDialParamsA, szUserName);
constexpr std::size_t kParamsPassword = offsetof(ras::v401::RasDialParamsA, szPassword);
constexpr std::size_t kPhoneField = ras::kMaxPhoneNumber + 1;

}  // namespace

bool IsRetryableDialError(Dword code) {
  return std::find(std::begin(kRetryable), std::end(kRetryable), code) != std::end(kRetryable);
}

std::string ApnCommand(std::string_view apn) {
  std::string command = "AT+CGDCONT=1,\"IP\",\"";
  command += apn;
  command += '"';
  return command;
}

std::string TrimApn(std::string_view apn) { return std::string(TrimBlanks(apn)); }

std::optional<std::string> ApnOfCommand(std::string_view command) {
  constexpr std::string_view kSelect = "+CGDCONT=";
  for (std::size_t at = 0; at + kSelect.size() <= command.size(); ++at) {
    if (!SameIgnoringCase1251(command.substr(at, kSelect.size()), kSelect)) continue;
    // 1,"IP","<apn>": the APN is the second quoted field.
    std::size_t quote = at + kSelect.size();
    std::size_t quotes[4];
    int found = 0;
    for (; found < 4; ++found) {
      quote = command.find('"', quote);
      if (quote == std::string_view::npos) break;
      quotes[found] = quote++;
    }
    if (found < 4) return std::nullopt;
    return std::string(command.substr(quotes[2] + 1, quotes[3] - quotes[2] - 1));
  }
  return std::nullopt;
}

bool DialThreadRegistered() {
  std::lock_guard lock(Running().mutex);
  return Running().current != nullptr;
}

DialThread::DialThread(const DialDependencies& deps)
    : deps_(deps),
      shared_(std::make_shared<Shared>()),
      terminatedEvent_(deps.messages->NewEvent()) {
  shared_->messages = deps.messages;
  shared_->progress = deps.progress;
}

DialThread::~DialThread() { WaitFor(); }

void DialThread::Resume() {
  if (!thread_.joinable()) thread_ = dw::Thread([this] { Execute(); });
}

void DialThread::Terminate() {
  terminated_.store(true, std::memory_order_release);
  terminatedEvent_->Set();
}

void DialThread::WaitFor() {
  if (thread_.joinable() && thread_.get_id() != dw::CurrentThreadId()) thread_.join();
}

std::string DialThread::StatusText() const {
  std::lock_guard lock(shared_->statusMutex);
  return shared_->status;
}

void DW_RASAPI DialThread::DialNotify(unsigned, Dword state, Dword error) {
  Registry& r = Running();
  Shared* target;
  {
    std::lock_guard lock(r.mutex);
    target = r.current;
    if (!target) return;
    ++r.active;
  }
  try {
    Notify(*target, state, error);
  } catch (...) {
    // RAS's thread must never see an exception of ours.
  }
  {
    std::lock_guard lock(r.mutex);
    --r.active;
  }
  r.idle.notify_all();
}

void DialThread::SetStatus(std::string text) {
  shared_->SetStatus(std::move(text));
  ReportStep();
}

void DialThread::ReportStep() { shared_->ReportStep(); }

void DialThread::SendProgress(std::uint32_t message) {
  if (const WindowHandle window = deps_.progress->Window()) deps_.messages->Send(window, message, 0, 0);
}

void DialThread::Execute() {
  {
    Registration registration(shared_.get());
    try {
      Run();
    } catch (const std::exception& e) {
      WriteLog("Execute", ras::kCaughtErrorCode, e.what());
      HangUpQuietly();
    } catch (...) {
      WriteLog("Execute", ras::kCaughtErrorCode, "unknown error");
      HangUpQuietly();
    }
  }
  Terminate();
}

// After an error half-way through an attempt: a dial handle left open would
// keep the modem busy for every later dial.
void DialThread::HangUpQuietly() {
  const Handle conn = connection_.load();
  if (conn == 0 || returnValue_.load() == conn) return;
  try {
    ras::LogRasError("HangUp", ras::CallBinding().HangUp(conn));
    connection_.store(0);
  } catch (...) {
  }
}

// A pass that ended without news: a dial whose handle RAS no longer knows
// will never be notified again, so waiting out the bar would end as "modem
// silent" half a minute later. It ends as RAS reports a remote drop.
void DialThread::NoticeDialGone() {
  const Handle conn = connection_.load();
  if (conn == 0) return;
  const ras::Binding ras = ras::CallBinding();
  std::vector<std::uint8_t> status(
      std::max<std::size_t>(sizeof(ras::v401::RasConnStatusA), ras.Size(ras::Record::kConnStatus)));
  ras::WriteDword(status, 0, ras.Size(ras::Record::kConnStatus));
  const Dword r = ras.GetConnectStatus(conn, status.data());
  if (r != ras::kErrorInvalidHandle) return;
  ras::LogRasError("Dial-Status", r);
  SetStatus(WithCode(TextId::DialLinkError, kDialDroppedError));
  ProgressShared& progress = *deps_.progress;
  progress.SetErrorText(ras::GetRasErrorDescr(kDialDroppedError));
  progress.SetErrorCode(kDialDroppedError);
  connection_.store(0);  // nothing left to hang up
}

bool DialThread::WaitEnds() const {
  const ProgressShared& progress = *deps_.progress;
  return shared_->dialDone.load() ||
         progress.BarPosition() >= progress.BarMax() - progress.BarStep() ||
         progress.Cancelled() || progress.ErrorCode() != 0 || Terminated();
}

void DialThread::Run() {
  const std::uint32_t winVer = ras::CurrentRasContext().winVer;

  // An existing connection through this modem is adopted as it is.
  if (const Handle conn = CheckAlreadyConnected(ModemName, EntryName, *ApnList)) {
    connection_.store(conn);
    std::uint32_t received = 0, sent = 0;
    GetStatistics(received, sent, conn);
    if (deps_.mainWindow) deps_.messages->Send(deps_.mainWindow, kMsgTrafficBaseline, received, sent);
    SendProgress(kMsgProgressLastStep);
    returnValue_.store(conn);
    return;
  }

  // The statistics thread measures from here: from Windows 2000 on the new
  // connection's own counters start at zero; before, the counters are
  // system-wide and only their growth is ours.
  {
    std::uint32_t received = 0, sent = 0;
    if (winVer < 500) GetStatistics(received, sent, 0);
    if (deps_.mainWindow) deps_.messages->Send(deps_.mainWindow, kMsgTrafficBaseline, received, sent);
  }

  SetStatus(Text(TextId::DialChoosing));
  phonebook::EntrySave saved = phonebook::EntrySave::kSaved;
  std::optional<phonebook::EntryRecord> entry =
      phonebook::CheckConnName(ModemName, EntryName, &saved);
  if (!entry) return;
  if (saved == phonebook::EntrySave::kRefused) {
    if (EntryName.empty()) {
      // Nothing was saved, so there is no entry RAS could dial.
      deps_.progress->SetErrorText(Text(TextId::EntryNeedsAdminNone));
      TellUser(TextId::EntryNeedsAdminNone);
      return;
    }
    TellUser(TextId::EntryNeedsAdminKept);
  }
  Dial(*entry, ras::ReadField(*entry, kEntryPhone, kPhoneField));
}

void DialThread::Dial(std::vector<std::uint8_t>& entry, const std::string& ownNumber) {
  const ras::Binding ras = ras::CallBinding();
  const std::string login(kOperatorLogin);
  std::vector<std::uint8_t> params(
      std::max<std::size_t>(sizeof(ras::v401::RasDialParamsA), ras.Size(ras::Record::kDialParams)));
  ras::WriteField(params, kParamsEntry, ras::kMaxEntryName + 1, EntryName);
  ras::WriteField(params, kParamsUser, ras::kUnLen + 1, login);
  ras::WriteField(params, kParamsPassword, ras::kPwLen + 1, login);

  connection_.store(0);
  ReportStep();

  modem::ModemInitStore store(*deps_.registry, deps_.platformId);
  const std::string savedInit = store.Read(ModemName);
  ProgressShared& progress = *deps_.progress;
  AdminStep admin = AdminStep::kNotAsked;

  std::vector<std::string>& apns = *ApnList;
  for (std::size_t i = 0; i < apns.size(); ++i) {
    const std::string apn = TrimApn(apns[i]);
    SetStatus(Text(TextId::DialModemSetup));
    bool selected = SelectApn(store, apn, admin);
    // The modem kept a command of its own: every other APN would be dialled
    // with that same command, so this is the last round.
    const bool lastRound = !selected;

    for (int choice = -1; choice <= 1; ++choice) {
      std::string number = ownNumber;
      if (choice >= 0) {
        number = std::string(phonebook::KnownPhoneNumbers[static_cast<std::size_t>(choice)]);
        if (number == ownNumber) continue;
        // A failed attempt gave the modem its own text back: the next number
        // is dialled with this APN too, as the log line says, not with
        // whatever the modem held before.
        // No second administrator's step: a refused write back left the
        // modem with what the first one wrote.
        AdminStep noNewStep = AdminStep::kNo;
        selected = SelectApn(store, apn, noNewStep);
      }
      // Where the modem's command could not be set, the log names the APN
      // the modem really dials with, read back from it.
      std::string usedApn = apns[i];
      if (!selected) {
        const std::string held = store.Read(ModemName);
        if (const auto named = ApnOfCommand(held)) {
          usedApn = *named;
        } else {
          usedApn.clear();
          WriteLog("DIAL-UserInit", 0, "the modem's own command: " + held);
        }
      }
      ras::WriteField(params, kParamsPhone, kPhoneField, number);
      WriteLog("DIAL-params", 0,
               "Entry: " + EntryName + " ; Phone: " + number + "  ; APN: " + usedApn +
                   "  User: " + login + "  ; Pswd: " + login + "  ");
      ras::WriteDword(params, 0, ras.Size(ras::Record::kDialParams));

      SetStatus(Text(TextId::DialConnectionSetup));
      connection_.store(0);
      // Cleared before the dial starts: RAS may report the whole dial
      // before RasDialA has returned.
      auto wake = deps_.waiter->NewEvent();
      {
        std::lock_guard lock(shared_->wakeMutex);
        shared_->wake = wake.get();
      }
      shared_->dialDone.store(false);
      shared_->dialOutcome.store(kPending);
      progress.SetErrorText({});
      progress.SetErrorCode(0);

      const LocalDateTime started = deps_.clock->Now();
      const auto tell = [&](Dword code, bool connected, bool timedOut) {
        if (deps_.attempts) deps_.attempts->AttemptEnded({started, apn, number, code, connected, timedOut});
      };
      Dword r = 0;
      for (int start = 0; start < 2; ++start) {
        Handle conn = 0;
        r = ras.Dial(params.data(), reinterpret_cast<void*>(&DialThread::DialNotify), &conn);
        connection_.store(conn);
        if (r == 0) break;
        ras::LogRasError("Dial", r);
        SetStatus(WithCode(TextId::DialLinkError, r));
        if (conn != 0) {
          ras.HangUp(conn);
          connection_.store(0);
        }
        if (start == 0) deps_.clock->Sleep(kDialRestartPause);
      }
      if (r != 0) {
        progress.SetErrorText(ras::GetRasErrorDescr(r));
        progress.SetErrorCode(r);
      }

      while (!WaitEnds()) {
        deps_.waiter->WaitPass(*wake, kDialPass);
        ReportStep();
        if (!WaitEnds()) NoticeDialGone();
      }
      {
        std::lock_guard lock(shared_->wakeMutex);
        shared_->wake = nullptr;
      }

      // Judged before the clean-up, whose status steps move the bar on.
      const bool timedOut = shared_->dialOutcome.load() == kPending && progress.ErrorCode() == 0 &&
                            progress.BarPosition() >= progress.BarMax() - progress.BarStep();

      if (shared_->dialOutcome.load() == kConnected) {
        if (i > 0 && selected) {
          apns.erase(apns.begin() + static_cast<std::ptrdiff_t>(i));
          apns.insert(apns.begin(), apn);
        }
        returnValue_.store(connection_.load());
        tell(0, true, false);
        // The next dial of this entry starts with the number that worked.
        if (number != ownNumber) {
          ras::WriteField(entry, kEntryPhone, kPhoneField, number);
          const Dword result = ras::EntryBinding().SetEntryProperties(
              EntryName.c_str(), entry.data(), ras::ReadDword(entry, 0), nullptr, 0);
          ras::LogRasError("Execute-SetConnProperties", result);
        }
        return;
      }

      // The attempt failed: the modem gets its own initialisation back
      // (where the system lets us; else it keeps what it was dialled with).
      store.Store(ModemName, savedInit);
      ras::LogRasError("Dialing error code", progress.ErrorCode());
      if (const Handle conn = connection_.load()) {
        SetStatus(Text(TextId::DialClosing));
        ras::LogRasError("HangUp", ras.HangUp(conn));
        connection_.store(0);
      }

      const std::uint32_t code = progress.ErrorCode();
      tell(code, false, timedOut);
      if (timedOut) {
        SetStatus(Text(TextId::DialModemSilent));
        return;
      }
      if (code != 0) progress.SetErrorText(ras::GetRasErrorDescr(code));
      shared_->dialOutcome.store(IsRetryableDialError(code) ? kPending : kGaveUp);
      // A thread told to end stops like a cancelled one rather than dialling
      // every number left with a wait that ends at once.
      if (progress.Cancelled() || Terminated() || shared_->dialOutcome.load() == kGaveUp) return;
      ReportStep();
      SendProgress(kMsgProgressFirstStep);
    }
    if (lastRound) return;
  }
}

bool DialThread::SelectApn(modem::ModemInitStore& store, const std::string& apn, AdminStep& admin) {
  const std::string command = ApnCommand(apn);
  const modem::InitWrite written = store.Store(ModemName, command);
  // No modem of the name in the registry: nothing there for RAS to use
  // either, so the APN named is as good as any.
  if (written == modem::InitWrite::kWritten || written == modem::InitWrite::kNoModem) return true;
  if (written != modem::InitWrite::kRefused) return store.Read(ModemName) == command;
  WriteLog("Modem-UserInit", ras::kErrorAccessDenied, "the system refused the modem's command");
  // 9x refuses no one, and only NT 5 and later can run a step as another
  // user.
  if (deps_.platformId != kPlatformNt || deps_.questions == nullptr || deps_.elevation == nullptr) {
    admin = AdminStep::kNo;
  }
  if (admin == AdminStep::kNotAsked) {
    admin = deps_.questions->AskYesNo(Text(TextId::ModemApnNeedsAdmin)) ? AdminStep::kAgreed
                                                                        : AdminStep::kNo;
  }
  if (admin != AdminStep::kAgreed) return store.Read(ModemName) == command;
  const std::optional<int> exit = deps_.elevation->RunAsAdministrator(
      SetInitArguments({ModemName, apn}), kAdministratorStepLimit);
  WriteLog("Modem-UserInit", exit ? *exit : static_cast<std::int32_t>(ras::kErrorAccessDenied),
           exit ? "the administrator's step ended" : "the administrator's step did not run");
  if (!exit || *exit != static_cast<int>(SetInitExit::kWritten)) admin = AdminStep::kNo;
  // Whatever the step said, the modem's own value decides.
  return store.Read(ModemName) == command;
}

void DialThread::TellUser(TextId text) {
  WriteLog("CheckConnName", ras::kErrorAccessDenied, "the system refused the phone-book entry");
  if (deps_.questions != nullptr) deps_.questions->TellError(Text(text));
}

}  // namespace dw::connection
