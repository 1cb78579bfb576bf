// A dial thread against the in-process simulator. The test's thread plays
// the user-interface thread: it serves the progress window (a handler that
// moves a mirrored bar as ProgressDialog does) and the main window while the
// dial runs, as the open-connection driver does.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "connection/dial_thread.h"
#include "connection/presence.h"
#include "connection/statistics.h"
#include "platform/fake/recording_questions.h"
#include "log/log.h"
#include "modem/modems.h"
#include "platform/plain_event.h"
#include "ras/binding.h"
#include "ras/record_access.h"
#include "ras/records.h"
#include "text/texts.h"
#include "connection/progress_shared.h"
#include "platform/message_numbers.h"
#include "unit/ras/ras_fixture.h"
#include "platform/threads.h"

namespace dw::connection::test {

inline constexpr const char* kModem = "Korvana GPRS Modem";
inline constexpr const char* kEntry = "Korvana";
inline const std::string kKvrInit = "AT+CGDCONT=1,\"IP\",\"internet.kvr\"";

// Passes in fake time from any thread: a pass whose event is not set within
// `slice` of real time costs its whole length on the fake clock. Only the
// user-interface thread serves messages.
class AnyThreadWaiter final : public ras::RasWaiter {
 public:
  AnyThreadWaiter(FakeClock& clock, TestWindowMessages& messages) : clock_(clock), messages_(messages) {}
  std::unique_ptr<Event> NewEvent() override { return std::make_unique<PlainEvent>(); }
  void Serve() override {
    if (OnUi()) messages_.ProcessPending();
  }
  void WaitPass(const Event& done, std::chrono::milliseconds limit) override {
    const auto& event = static_cast<const PlainEvent&>(done);
    bool set = false;
    if (OnUi()) {
      const auto end = std::chrono::steady_clock::now() + slice;
      while (!(set = event.IsSet()) && std::chrono::steady_clock::now() < end) {
        messages_.ProcessPending();
        event.WaitFor(std::chrono::milliseconds(1));
      }
    } else {
      set = event.WaitFor(slice);
    }
    if (!set) clock_.Sleep(limit);
  }
  std::chrono::milliseconds slice{20};

 private:
  bool OnUi() const { return dw::CurrentThreadId() == messages_.UiThread(); }
  FakeClock& clock_;
  TestWindowMessages& messages_;
};

class RecordingLogFiles final : public LogFiles {
 public:
  bool Append(const std::string&, std::string_view bytes) override {
    std::lock_guard lock(mutex_);
    text_ += bytes;
    return true;
  }
  // The messages of the records from `source`, in order.
  std::vector<std::string> Messages(const std::string& source) const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> found;
    const std::string src = " : src: " + source + "      code: ";
    std::size_t at = 0;
    while ((at = text_.find(src, at)) != std::string::npos) {
      const std::size_t msg = text_.find("msg: ", at) + 5;
      const std::size_t end = text_.find("\r\n", msg);
      found.push_back(text_.substr(msg, end - msg));
      at = end;
    }
    return found;
  }
  std::string Text() const {
    std::lock_guard lock(mutex_);
    return text_;
  }

 private:
  mutable dw::Mutex mutex_;
  std::string text_;
};

struct ProgressEvent {
  std::uint32_t message;
  int position;  // after the message
  std::string status;
};

class DialTest : public ras::test::RasTest {
 protected:
  void Prepare(ras::Generation g, sim::Scenario scenario = Quick(sim::DefaultScenario()),
               const std::string& entryPhone = "*99***1#", const std::string& init = kKvrInit) {
    StartRas(g, std::move(scenario));
    mainWin_ = messages_.AddWindow([this](std::uint32_t message, std::uintptr_t w, std::intptr_t l) {
      if (message == kMsgTrafficBaseline) baselines.push_back({static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(l)});
      return std::intptr_t{0};
    });
    progressWin_ = messages_.AddWindow([this](std::uint32_t message, std::uintptr_t, std::intptr_t) {
      OnProgress(message);
      return std::intptr_t{0};
    });
    ras::ConfigureRas({proxy_.get(), ras::test::WinVerOf(g), &waitCount_, &waiter, &messages_, mainWin_,
                       std::chrono::milliseconds(500)});
    ConfigurePresence({&registry_, PlatformId(), &questions});
    ConfigureStatistics(&registry_);
    progress.SetWindow(progressWin_);
    progress.MirrorBar(0, 600, 10);
    ASSERT_EQ(SaveEntry(kEntry, kModem, entryPhone), 0u);
    SetUserInit(kModem, init);
    logFiles = std::make_shared<RecordingLogFiles>();
    ConfigureLog({CommandLine::Parse({"/l", "/n"}), "C:\\Korvana\\dialwave.exe",
                  std::make_shared<FakeClock>(), std::make_shared<FixedEnvironment>(), logFiles});
  }
  void TearDown() override {
    StopLog();
    ConfigurePresence({});
    ConfigureStatistics(nullptr);
    ras::test::RasTest::TearDown();
  }

  // No waiting inside the simulator: every notification comes at once.
  static sim::Scenario Quick(sim::Scenario s) {
    s.notifyDelayMs = 0;
    s.hangupDelayMs = 0;
    return s;
  }
  static sim::Scenario WithNumbers(std::vector<std::pair<std::string, sim::Outcome>> numbers,
                                   sim::Scenario s = Quick(sim::DefaultScenario())) {
    s.numbers = std::move(numbers);
    return s;
  }

  std::uint32_t PlatformId() const { return ras::IsWin9x(generation_) ? 1 : 2; }
  std::string UserInit() {
    return modem::ModemInitStore(registry_, PlatformId()).Read(kModem);
  }

  DialDependencies Deps() {
    return {&registry_, PlatformId(), &messages_, mainWin_, &progress, &fakeClock_, &waiter};
  }

  // Runs a dial to its end while serving the windows; `eachPass` runs on
  // this (the user-interface) thread between two waits.
  ras::Handle RunDial(DialThread& thread, std::vector<std::string>& apns,
                      std::function<void()> eachPass = {}) {
    progress.MirrorBar(0, 600, 10);  // as the driver shows the dialog
    current_ = &thread;
    thread.Resume({kModem, kEntry, apns});
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!thread.Terminated()) {
      messages_.WaitServing(thread.TerminatedEvent(), std::chrono::milliseconds(5));
      if (eachPass) eachPass();
      if (std::chrono::steady_clock::now() > giveUp) {
        ADD_FAILURE() << "the dial thread never ended";
        progress.SetCancelled(true);
      }
    }
    messages_.ProcessPending();
    const DialResult& result = thread.Result();
    current_ = nullptr;
    apns = result.apns;
    entryAfter = result.entryName;
    connectionAfter = result.connection;
    return result.connection;
  }
  ras::Handle RunDial(std::vector<std::string>& apns, std::function<void()> eachPass = {}) {
    DialThread thread(Deps());
    return RunDial(thread, apns, std::move(eachPass));
  }

  std::vector<std::string> Statuses() const {
    std::vector<std::string> s;
    for (const auto& e : events) s.push_back(e.status);
    return s;
  }
  bool SawStatus(TextId id) const {
    for (const auto& e : events) {
      if (e.status == Text(id)) return true;
    }
    return false;
  }
  std::vector<std::string> DialedPhones() const { return DialParams("Phone: ", "  ;"); }
  // A field of every "DIAL-params" line: what follows `label` up to `end`.
  std::vector<std::string> DialParams(const std::string& label, const std::string& end) const {
    std::vector<std::string> fields;
    for (const std::string& m : logFiles->Messages("DIAL-params")) {
      const auto at = m.find(label) + label.size();
      fields.push_back(m.substr(at, m.find(end, at) - at));
    }
    return fields;
  }
  // Connections the simulator still has (a hung-up one goes at once here).
  std::vector<sim::Simulator::ConnectionInfo> Live() { return sim_->Connections(); }
  std::string EntryPhone(const std::string& name) {
    for (const auto& e : sim_->Entries()) {
      if (e.name == name) {
        return ras::ReadField(e.record, offsetof(ras::v501::RasEntryA, szLocalPhoneNumber),
                              ras::kMaxPhoneNumber + 1);
      }
    }
    return "<none>";
  }

  AnyThreadWaiter waiter{fakeClock_, messages_};
  RecordingQuestions questions;
  dw::Mutex progressLock;
  connection::ProgressShared progress{progressLock};
  std::shared_ptr<RecordingLogFiles> logFiles;
  std::vector<ProgressEvent> events;  // UI thread only
  std::vector<std::pair<std::uint32_t, std::uint32_t>> baselines;
  std::function<void(const ProgressEvent&)> onProgress;
  std::string entryAfter;
  ras::Handle connectionAfter = 0;

 private:
  // As ProgressDialog: the bar moves, then the line shows the thread's status.
  void OnProgress(std::uint32_t message) {
    int pos = progress.BarPosition();
    switch (message) {
      case kMsgProgressLastStep:
        pos = 590;
        break;
      case kMsgProgressStep:
        pos += 10;
        if (pos > 600) pos = 0;  // the control's step wraps past its maximum
        break;
      case kMsgProgressFirstStep:
        pos = 10;
        break;
      default:
        return;
    }
    progress.MirrorBar(pos, 600, 10);
    events.push_back({message, pos, current_ ? current_->StatusText() : std::string()});
    if (onProgress) onProgress(events.back());
  }

  WindowHandle mainWin_ = 0;
  WindowHandle progressWin_ = 0;
  DialThread* current_ = nullptr;
};

}  // namespace dw::connection::test
