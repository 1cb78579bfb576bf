// The RAS layer over the in-process simulator, with a fake clock for the
// long waits and a test UI thread for the messages the waits serve.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>

#include "platform/fake/fake_clock.h"
#include "platform/fake/test_messages.h"
#include "platform/message_numbers.h"
#include "platform/plain_event.h"
#include "ras/context.h"
#include "ras/readiness.h"
#include "unit/sim/sim_fixture.h"
#include "platform/threads.h"

namespace dw::ras::test {

inline std::uint32_t WinVerOf(Generation g) {
  switch (g) {
    case Generation::kWin98:
      return 410;
    case Generation::kWinMe:
      return 490;
    case Generation::kWin2000:
      return 500;
    case Generation::kWinXp:
      return 501;
    case Generation::kVista:
      return 602;  // what 8 to 11 report without a manifest
  }
  return 500;
}

// An event a test thread can wait on with a real-time bound.
using CondEvent = PlainEvent;

// Passes in fake time: a pass that the worker does not end within a few real
// milliseconds costs its whole length on the fake clock.
class FakeTimeWaiter final : public RasWaiter {
 public:
  FakeTimeWaiter(FakeClock& clock, TestWindowMessages& messages) : clock_(clock), messages_(messages) {}
  std::unique_ptr<Event> NewEvent() override { return std::make_unique<CondEvent>(); }
  void Serve() override {
    ++serves;
    messages_.ProcessPending();
  }
  void WaitPass(const Event& done, std::chrono::milliseconds limit) override {
    ++waits;
    if (!static_cast<const CondEvent&>(done).WaitFor(grace)) {
      clock_.Sleep(limit);
    }
  }
  int serves = 0;
  int waits = 0;
  // Real time a worker gets before the pass is charged; tests whose worker
  // must answer raise it, so a loaded machine does not charge a pass.
  std::chrono::milliseconds grace{10};

 private:
  FakeClock& clock_;
  TestWindowMessages& messages_;
};

// The simulator's entry points, some replaced by a test's own.
class ProxyLibrary final : public RasLibrary {
 public:
  explicit ProxyLibrary(const RasLibrary& inner) : inner_(inner) {}
  bool IsLoaded() const override { return loaded; }
  void* Lookup(const char* name) const override {
    {
      std::lock_guard lock(mutex_);
      ++lookups_[name];
    }
    if (!loaded) return nullptr;
    if (auto it = replaced.find(name); it != replaced.end()) return it->second;
    return inner_.Lookup(name);
  }
  bool loaded = true;
  std::map<std::string, void*> replaced;  // null: not exported
  int Lookups(const std::string& name) const {
    std::lock_guard lock(mutex_);
    auto it = lookups_.find(name);
    return it == lookups_.end() ? 0 : it->second;
  }

 private:
  mutable dw::Mutex mutex_;
  mutable std::map<std::string, int> lookups_;
  const RasLibrary& inner_;
};

// The status query of a network that lets the connection go right after
// the first answer (RasTest::LoseConnectionAfterFirstStatus).
inline sim::FakeSimClock* g_statusNetwork = nullptr;
inline std::atomic<int> g_statusCalls{0};
inline Dword DW_RASAPI StatusThenGone(Handle conn, void* status) {
  const Dword r = sim::entry::RasGetConnectStatusA(conn, status);
  if (++g_statusCalls == 1 && g_statusNetwork != nullptr) g_statusNetwork->Advance(60000);
  return r;
}

class RasTest : public sim::test::SimTest {
 protected:
  void StartRas(Generation g, sim::Scenario scenario = sim::DefaultScenario()) {
    Start(g, std::move(scenario));
    proxy_ = std::make_unique<ProxyLibrary>(*library_);
    mainWindow_ = messages_.AddWindow([this](std::uint32_t message, std::uintptr_t, std::intptr_t) {
      if (message == kMsgSystemConfigError) ++configErrors_;
      return std::intptr_t{0};
    });
    Configure();
  }
  void Configure(std::int32_t waitCount = 20) {
    waitCount_ = waitCount;
    ConfigureRas({proxy_.get(), WinVerOf(generation_), &waitCount_, &waiter_, &messages_,
                  mainWindow_, std::chrono::milliseconds(500)});
  }
  // Until KeepConnectionAfterStatus, the connection goes right after the next
  // status query's answer.
  void LoseConnectionAfterFirstStatus() {
    g_statusCalls = 0;
    g_statusNetwork = &clock_;
    proxy_->replaced["RasGetConnectStatusA"] = reinterpret_cast<void*>(&StatusThenGone);
  }
  static void KeepConnectionAfterStatus() { g_statusNetwork = nullptr; }
  void TearDown() override {
    KeepConnectionAfterStatus();
    ClearFault();
    WaitForWorkers();
    ConfigureRas({});
    sim::test::SimTest::TearDown();
  }
  void ClearFault() {
    sim::Scenario s = store_.ReadScenario();
    s.hung = false;
    s.all711 = false;
    store_.SetScenario(s);
  }
  static void WaitForWorkers() {
    for (int i = 0; i < 1000 && RunningRasWorkers() != 0; ++i) {
      dw::SleepFor(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(RunningRasWorkers(), 0) << "a RAS worker never finished";
  }
  void SetFault(bool hung, bool all711) {
    sim::Scenario s = store_.ReadScenario();
    s.hung = hung;
    s.all711 = all711;
    store_.SetScenario(s);
  }

  FakeClock fakeClock_;
  TestWindowMessages messages_;
  FakeTimeWaiter waiter_{fakeClock_, messages_};
  std::unique_ptr<ProxyLibrary> proxy_;
  std::atomic<std::int32_t> waitCount_{20};
  WindowHandle mainWindow_ = 0;
  std::atomic<int> configErrors_{0};
};

}  // namespace dw::ras::test
