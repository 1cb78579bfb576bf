#include "connection/dial_thread.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <exception>
#include <initializer_list>
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

// The status lines of the states a dial goes through, by their value (a
// second authentication, 19, reads as the first), and of the paused states,
// from 0x1000 on.
constexpr TextId kStateTexts[] = {
    TextId::RasStateOpenPort,           TextId::RasStatePortOpened,
    TextId::RasStateConnectDevice,      TextId::RasStateDeviceConnected,
    TextId::RasStateAllDevicesConnected, TextId::RasStateAuthenticate,
    TextId::RasStateAuthNotify,         TextId::RasStateAuthRetry,
    TextId::RasStateAuthCallback,       TextId::RasStateAuthChangePassword,
    TextId::RasStateAuthProject,        TextId::RasStateAuthLinkSpeed,
    TextId::RasStateAuthAck,            TextId::RasStateReAuthenticate,
    TextId::RasStateAuthenticated,      TextId::RasStatePrepareForCallback,
    TextId::RasStateWaitForModemReset,  TextId::RasStateWaitForCallback,
    TextId::RasStateProjected,          TextId::RasStateAuthenticate,
    TextId::RasStateCallbackComplete,   TextId::RasStateLogonNetwork,
};
constexpr TextId kPausedStateTexts[] = {
    TextId::RasStateInteractive, TextId::RasStateRetryAuthentication,
    TextId::RasStateCallbackSetByCaller, TextId::RasStatePasswordExpired,
    TextId::RasStateInvokeEapUi,
};

// The status line of a connection state; null for states that leave it.
const std::string* StateText(Dword state) {
  if (state < std::size(kStateTexts)) return &Text(kStateTexts[state]);
  state -= ras::kInteractive;
  if (state < std::size(kPausedStateTexts)) return &Text(kPausedStateTexts[state]);
  return nullptr;
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
  std::string_view number;
  bool firstOfApn;  // with the entry's own number
};

// Each APN with the entry's own number, then with every known number that is
// not that one.
std::vector<Attempt> Attempts(std::size_t apns, std::string_view ownNumber) {
  std::array<std::string_view, phonebook::KnownPhoneNumbers.size() + 1> numbers{ownNumber};
  std::size_t count = 1;
  for (const std::string_view known : phonebook::KnownPhoneNumbers) {
    if (known != ownNumber) numbers[count++] = known;
  }
  std::vector<Attempt> attempts(apns * count);
  for (std::size_t i = 0; i < attempts.size(); ++i) {
    attempts[i] = {i / count, numbers[i % count], i % count == 0};
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

// The log's line for a dial, with the login it sends.
std::string DialLine(std::string_view entry, std::string_view number, std::string_view apn) {
  std::string line;
  for (const std::string_view part : std::initializer_list<std::string_view>{
           "Entry: ", entry, " ; Phone: ", number, "  ; APN: ", apn, "  User: ", kOperatorLogin,
           "  ; Pswd: ", kOperatorLogin, "  "}) {
    line += part;
  }
  return line;
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
  result_.entryName = std::move(request.entryName);
  result_.apns = std::move(request.apns);
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
  // An existing connection through this modem is adopted as it is.
  held_ = CheckAlreadyConnected(modem_, result_.entryName, result_.apns);
  // The statistics thread measures from here: an adopted connection from
  // its counters now; from Windows 2000 on a new connection's own counters
  // start at zero; before, the counters are system-wide and only their
  // growth is ours.
  std::uint32_t received = 0, sent = 0;
  if (held_ != 0 || ras::CurrentRasContext().winVer < 500) GetStatistics(received, sent, held_);
  if (deps_.mainWindow) deps_.messages->Send(deps_.mainWindow, kMsgTrafficBaseline, received, sent);
  if (held_ != 0) {
    SendProgress(kMsgProgressLastStep);
    result_.connection = held_;
    return;
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
    const std::string& listed = result_.apns[attempt.apn];
    if (attempt.firstOfApn) {
      // The modem kept a command of its own: every other APN would be
      // dialled with that same command, so that round was the last.
      if (lastRound) return;
      SetStatus(Text(TextId::DialModemSetup));
    }
    // A failed attempt gave the modem its own text back: the next number is
    // dialled with this APN too, as the log line says, not with whatever the
    // modem held before. No second administrator's step: a refused write
    // back left the modem with what the first one wrote.
    AdminStep noNewStep = AdminStep::kNo;
    DialAttempt dialled{{}, TrimApn(listed), std::string(attempt.number)};
    selected = SelectApn(store, dialled.apn, attempt.firstOfApn ? admin : noNewStep);
    if (attempt.firstOfApn) lastRound = !selected;
    // A step still running may change the modem's command under any dial,
    // which then would not use the APN its log line names.
    if (admin == AdminStep::kUnfinished) {
      deps_.progress->SetErrorText(Text(TextId::ModemApnStepUnfinished));
      return;
    }
    DialOnce(params, dialled, LoggedApn(store, modem_, selected, listed));
    if (dialled.connected) return Connected(entry, ownNumber, attempt.apn, selected, dialled);
    if (!Failed(store, savedInit, dialled)) return;
  }
}

void DialThread::DialOnce(std::vector<std::uint8_t>& params, DialAttempt& attempt,
                          const std::string& loggedApn) {
  const std::string& number = attempt.number;
  const ras::Binding ras = ras::CallBinding();
  ras::WriteField(params, kParamsPhone, kPhoneField, number);
  WriteLog("DIAL-params", 0, DialLine(result_.entryName, number, loggedApn));
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

  attempt.started = deps_.clock->Now();
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
                        DialAttempt& attempt) {
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
  const std::optional<int> exit = run.exitCode;
  WriteLog("Modem-UserInit", exit ? *exit : static_cast<std::int32_t>(ras::kErrorAccessDenied),
           exit               ? "the administrator's step ended"
           : run.stillRunning ? "the administrator's step has not ended: no dial"
                              : "the administrator's step did not run");
  if (run.stillRunning) {
    admin = AdminStep::kUnfinished;
  } else if (!exit || *exit != static_cast<int>(SetInitExit::kWritten)) {
    admin = AdminStep::kNo;
  }
  // Whatever the step said, the modem's own value decides.
  return store.Read(modem_) == command;
}

void DialThread::TellUser(TextId text) {
  WriteLog("CheckConnName", ras::kErrorAccessDenied, "the system refused the phone-book entry");
  if (deps_.questions != nullptr) deps_.questions->TellError(Text(text));
}

}  // namespace dw::connection
