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
  void Arm(Event* event) {
    std::lock_guard lock(wakeMutex);
    wake = event;
  }
};

namespace {

constexpr std::uint32_t kPlatformNt = 2;
constexpr int kPending = 7;
constexpr int kConnected = 1;

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

// One dial's wait: the notifications wake it until it ends, also when an
// error ends it, before its event goes.
class ArmedWake {
 public:
  ArmedWake(DialThread::Shared& shared, Event& event) : shared_(shared) { shared_.Arm(&event); }
  ~ArmedWake() { shared_.Arm(nullptr); }
  ArmedWake(const ArmedWake&) = delete;
  ArmedWake& operator=(const ArmedWake&) = delete;

 private:
  DialThread::Shared& shared_;
};

// One dial of the list.
struct Attempt {
  std::size_t apn;  // where the list has it
  std::string number;
  bool firstOfApn;  // with the entry's own number
};

// Each APN with the entry's own number, then with every known number that is
// not that one.
std::vector<Attempt> Attempts(std::size_t apns, const std::string& ownNumber) {
  std::vector<Attempt> attempts;
  for (std::size_t i = 0; i < apns; ++i) {
    attempts.push_back({i, ownNumber, true});
    for (const std::string_view known : phonebook::KnownPhoneNumbers) {
      if (known != ownNumber) attempts.push_back({i, std::string(known), false});
    }
  }
  return attempts;
}

// The entry and the operator's login; each dial writes its number.
std::vector<std::uint8_t> DialParams(const std::string& entryName) {
  std::vector<std::uint8_t> params(std::max<std::size_t>(
      sizeof(ras::v401::RasDialParamsA), ras::CallBinding().Size(ras::Record::kDialParams)));
  ras::WriteField(params, kParamsEntry, ras::kMaxEntryName + 1, entryName);
  ras::WriteField(params, kParamsUser, ras::kUnLen + 1, kOperatorLogin);
  ras::WriteField(params, kParamsPassword, ras::kPwLen + 1, kOperatorLogin);
  return params;
}

// Where the modem's command could not be set, the log names the APN the
// modem really dials with, read back from it.
std::string LoggedApn(const modem::ModemInitStore& store, const std::string& modemName,
                      bool selected, const std::string& listed) {
  if (selected) return listed;
  const std::string held = store.Read(modemName);
  if (auto named = modem::ApnOfCommand(held)) return *named;
  WriteLog("DIAL-UserInit", 0, "the modem's own command: " + held);
  return {};
}

}  // namespace

bool IsRetryableDialError(Dword code) {
  return std::find(std::begin(kRetryable), std::end(kRetryable), code) != std::end(kRetryable);
}

std::string ApnCommand(std::string_view apn) { return modem::ApnInitCommand(apn); }

std::string TrimApn(std::string_view apn) { return std::string(TrimBlanks(apn)); }

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

void DialThread::Resume(DialRequest request) {
  if (thread_.joinable()) return;
  modem_ = std::move(request.modem);
  result_ = {0, std::move(request.entryName), std::move(request.apns)};
  thread_ = dw::Thread([this] { Execute(); });
}

void DialThread::Terminate() {
  terminated_.store(true, std::memory_order_release);
  terminatedEvent_->Set();
}

void DialThread::WaitFor() {
  if (thread_.joinable() && thread_.get_id() != dw::CurrentThreadId()) thread_.join();
}

const DialResult& DialThread::Result() {
  WaitFor();
  return result_;
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
  if (held_ == 0 || result_.connection == held_) return;
  try {
    ras::LogRasError("HangUp", ras::CallBinding().HangUp(held_));
    held_ = 0;
  } catch (...) {
  }
}

// A pass that ended without news: a dial whose handle RAS no longer knows
// will never be notified again, so waiting out the bar would end as "modem
// silent" half a minute later. It ends as RAS reports a remote drop.
void DialThread::NoticeDialGone() {
  if (held_ == 0) return;
  const ras::Binding ras = ras::CallBinding();
  std::vector<std::uint8_t> status(
      std::max<std::size_t>(sizeof(ras::v401::RasConnStatusA), ras.Size(ras::Record::kConnStatus)));
  ras::WriteDword(status, 0, ras.Size(ras::Record::kConnStatus));
  const Dword r = ras.GetConnectStatus(held_, status.data());
  if (r != ras::kErrorInvalidHandle) return;
  ras::LogRasError("Dial-Status", r);
  SetStatus(WithCode(TextId::DialLinkError, kDialDroppedError));
  ProgressShared& progress = *deps_.progress;
  progress.SetErrorText(ras::GetRasErrorDescr(kDialDroppedError));
  progress.SetErrorCode(kDialDroppedError);
  held_ = 0;  // nothing left to hang up
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
  if (const Handle conn = CheckAlreadyConnected(modem_, result_.entryName, result_.apns)) {
    held_ = conn;
    std::uint32_t received = 0, sent = 0;
    GetStatistics(received, sent, conn);
    if (deps_.mainWindow) deps_.messages->Send(deps_.mainWindow, kMsgTrafficBaseline, received, sent);
    SendProgress(kMsgProgressLastStep);
    result_.connection = conn;
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
      phonebook::CheckConnName(modem_, result_.entryName, &saved);
  if (!entry) return;
  if (saved == phonebook::EntrySave::kRefused) {
    if (result_.entryName.empty()) {
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
  std::vector<std::uint8_t> params = DialParams(result_.entryName);
  held_ = 0;
  ReportStep();

  modem::ModemInitStore store(*deps_.registry, deps_.platformId);
  const std::string savedInit = store.Read(modem_);
  AdminStep admin = AdminStep::kNotAsked;
  bool selected = false;
  bool lastRound = false;
  for (const Attempt& attempt : Attempts(result_.apns.size(), ownNumber)) {
    const std::string apn = TrimApn(result_.apns[attempt.apn]);
    if (attempt.firstOfApn) {
      // The modem kept a command of its own: every other APN would be
      // dialled with that same command, so that round was the last.
      if (lastRound) return;
      SetStatus(Text(TextId::DialModemSetup));
      selected = SelectApn(store, apn, admin);
      lastRound = !selected;
      // A step still running may change the modem's command under any dial,
      // which then would not use the APN its log line names.
      if (admin == AdminStep::kUnfinished) {
        deps_.progress->SetErrorText(Text(TextId::ModemApnStepUnfinished));
        return;
      }
    } else {
      // A failed attempt gave the modem its own text back: the next number
      // is dialled with this APN too, as the log line says, not with
      // whatever the modem held before.
      // No second administrator's step: a refused write back left the
      // modem with what the first one wrote.
      AdminStep noNewStep = AdminStep::kNo;
      selected = SelectApn(store, apn, noNewStep);
    }
    DialAttempt dialled =
        DialOnce(params, attempt.number, LoggedApn(store, modem_, selected, result_.apns[attempt.apn]));
    dialled.apn = apn;
    if (dialled.connected) return Connected(entry, ownNumber, attempt.apn, selected, dialled);
    if (!Failed(store, savedInit, dialled)) return;
  }
}

DialAttempt DialThread::DialOnce(std::vector<std::uint8_t>& params, const std::string& number,
                                 const std::string& loggedApn) {
  const ras::Binding ras = ras::CallBinding();
  const std::string login(kOperatorLogin);
  ras::WriteField(params, kParamsPhone, kPhoneField, number);
  WriteLog("DIAL-params", 0,
           "Entry: " + result_.entryName + " ; Phone: " + number + "  ; APN: " + loggedApn +
               "  User: " + login + "  ; Pswd: " + login + "  ");
  ras::WriteDword(params, 0, ras.Size(ras::Record::kDialParams));

  SetStatus(Text(TextId::DialConnectionSetup));
  held_ = 0;
  // Armed before the dial starts: RAS may report the whole dial before
  // RasDialA has returned.
  const auto wake = deps_.waiter->NewEvent();
  const ArmedWake armed(*shared_, *wake);
  shared_->dialDone.store(false);
  shared_->dialOutcome.store(kPending);
  ProgressShared& progress = *deps_.progress;
  progress.SetErrorText({});
  progress.SetErrorCode(0);

  DialAttempt attempt{deps_.clock->Now(), {}, number};
  Dword r = 0;
  for (int start = 0; start < 2; ++start) {
    r = ras.Dial(params.data(), reinterpret_cast<void*>(&DialThread::DialNotify), &held_);
    if (r == 0) break;
    ras::LogRasError("Dial", r);
    SetStatus(WithCode(TextId::DialLinkError, r));
    if (held_ != 0) {
      ras.HangUp(held_);
      held_ = 0;
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
  // Judged before the clean-up, whose status steps move the bar on.
  attempt.connected = shared_->dialOutcome.load() == kConnected;
  attempt.timedOut = !attempt.connected && shared_->dialOutcome.load() == kPending &&
                     progress.ErrorCode() == 0 &&
                     progress.BarPosition() >= progress.BarMax() - progress.BarStep();
  return attempt;
}

void DialThread::Connected(std::vector<std::uint8_t>& entry, const std::string& ownNumber,
                           std::size_t listed, bool selected, const DialAttempt& attempt) {
  std::vector<std::string>& apns = result_.apns;
  if (listed > 0 && selected) {
    apns.erase(apns.begin() + static_cast<std::ptrdiff_t>(listed));
    apns.insert(apns.begin(), attempt.apn);
  }
  result_.connection = held_;
  if (deps_.attempts) deps_.attempts->AttemptEnded(attempt);
  // The next dial of this entry starts with the number that worked.
  if (attempt.number != ownNumber) {
    ras::WriteField(entry, kEntryPhone, kPhoneField, attempt.number);
    const Dword result = ras::EntryBinding().SetEntryProperties(
        result_.entryName.c_str(), entry.data(), ras::ReadDword(entry, 0), nullptr, 0);
    ras::LogRasError("Execute-SetConnProperties", result);
  }
}

bool DialThread::Failed(modem::ModemInitStore& store, const std::string& savedInit,
                        DialAttempt attempt) {
  // The modem gets its own initialisation back (where the system lets us;
  // else it keeps what it was dialled with).
  store.Store(modem_, savedInit);
  ProgressShared& progress = *deps_.progress;
  ras::LogRasError("Dialing error code", progress.ErrorCode());
  if (held_ != 0) {
    SetStatus(Text(TextId::DialClosing));
    ras::LogRasError("HangUp", ras::CallBinding().HangUp(held_));
    held_ = 0;
  }

  attempt.code = progress.ErrorCode();
  if (deps_.attempts) deps_.attempts->AttemptEnded(attempt);
  if (attempt.timedOut) {
    SetStatus(Text(TextId::DialModemSilent));
    return false;
  }
  if (attempt.code != 0) progress.SetErrorText(ras::GetRasErrorDescr(attempt.code));
  // A thread told to end stops like a cancelled one rather than dialling
  // every number left with a wait that ends at once.
  if (progress.Cancelled() || Terminated() || !IsRetryableDialError(attempt.code)) return false;
  ReportStep();
  SendProgress(kMsgProgressFirstStep);
  return true;
}

bool DialThread::SelectApn(modem::ModemInitStore& store, const std::string& apn, AdminStep& admin) {
  const std::string command = ApnCommand(apn);
  const modem::InitWrite written = store.Store(modem_, command);
  // No modem of the name in the registry: nothing there for RAS to use
  // either, so the APN named is as good as any.
  if (written == modem::InitWrite::kWritten || written == modem::InitWrite::kNoModem) return true;
  if (written != modem::InitWrite::kRefused) return store.Read(modem_) == command;
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
  if (admin != AdminStep::kAgreed) return store.Read(modem_) == command;
  const AdministratorRun run = deps_.elevation->RunAsAdministrator(
      SetInitArguments({modem_, apn}), kAdministratorStepLimit);
  if (run.stillRunning) {
    WriteLog("Modem-UserInit", 0, "the administrator's step has not ended: no dial");
    admin = AdminStep::kUnfinished;
    return false;
  }
  const std::optional<int> exit = run.exitCode;
  WriteLog("Modem-UserInit", exit ? *exit : static_cast<std::int32_t>(ras::kErrorAccessDenied),
           exit ? "the administrator's step ended" : "the administrator's step did not run");
  if (!exit || *exit != static_cast<int>(SetInitExit::kWritten)) admin = AdminStep::kNo;
  // Whatever the step said, the modem's own value decides.
  return store.Read(modem_) == command;
}

void DialThread::TellUser(TextId text) {
  WriteLog("CheckConnName", ras::kErrorAccessDenied, "the system refused the phone-book entry");
  if (deps_.questions != nullptr) deps_.questions->TellError(Text(text));
}

}  // namespace dw::connection
