// The statistics loop on its own thread, with a fake clock and a test UI
// thread that plays the main window.
#include "connection/traffic_sampler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/fake/fake_clock.h"
#include "platform/fake/test_messages.h"
#include "platform/message_numbers.h"
#include "platform/threads.h"

namespace dw::connection {
namespace {

using std::chrono::milliseconds;
using Steady = std::chrono::steady_clock;

constexpr ras::Handle kConn = 77;

struct Seen {
  std::uint32_t message;
  std::uintptr_t wparam;
  std::intptr_t lparam;
  milliseconds at;  // the fake clock's monotonic time
  int check;        // the connection check the message followed
  std::uint32_t speed;
  milliseconds connected;
  bool running;
};

// The test UI thread's messages, counting the sends that have begun.
class CountingMessages final : public WindowMessages {
 public:
  explicit CountingMessages(std::shared_ptr<TestWindowMessages> inner) : inner_(std::move(inner)) {}
  std::unique_ptr<Event> NewEvent() override { return inner_->NewEvent(); }
  std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                     std::intptr_t lparam) override {
    ++sends;
    return inner_->Send(window, message, wparam, lparam);
  }
  void ProcessPending() override { inner_->ProcessPending(); }
  bool WaitServing(const Event& event, milliseconds limit) override {
    return inner_->WaitServing(event, limit);
  }
  std::atomic<int> sends{0};

 private:
  std::shared_ptr<TestWindowMessages> inner_;
};

class StatLoop : public ::testing::Test {
 protected:
  void TearDown() override { thread_.reset(); }

  void Make(milliseconds shutdownLimit = milliseconds(30000)) {
    window_ = messages_->AddWindow([this](std::uint32_t m, std::uintptr_t w, std::intptr_t l) {
      // Null while the thread object is being destroyed, as for the main
      // window after it let go of it.
      TrafficSampler* t = thread_.get();
      Seen seen{m, w, l, clock_->Monotonic(), Checks(),
                t ? t->CurrentSpeed() : 0u, t ? t->ConnectedTime() : milliseconds(-1),
                t && t->Running()};
      got_.push_back(seen);
      if (onMessage_) onMessage_(seen);
      return std::intptr_t{0};
    });
    TrafficSampler::Setup setup;
    setup.messages = counting_;
    setup.clock = clock_;
    setup.target = window_;
    setup.connection = [] { return kConn; };
    // Lives as long as the thread's shared state.
    auto token = std::make_shared<int>(0);
    threadAlive_ = token;
    setup.connIsOpen = [this, token](ras::Handle conn) {
      EXPECT_EQ(conn, kConn);
      std::lock_guard lock(mutex_);
      ++checks_;
      if (script_.empty()) return fallback_;
      const bool open = script_.front();
      script_.pop_front();
      return open;
    };
    setup.getStatistics = [this](std::uint32_t& r, std::uint32_t& s, ras::Handle conn) {
      EXPECT_EQ(conn, kConn);
      std::lock_guard lock(mutex_);
      ++readings_;
      r = 100'000 + 4'000 * readings_;
      s = 50'000 + 1'000 * readings_;
      return ras::Dword{0};
    };
    setup.shutdownLimit = shutdownLimit;
    thread_ = std::make_unique<TrafficSampler>(std::move(setup));
    thread_->SetBaseline(100'000, 50'000);
  }

  void Script(std::deque<bool> checks, bool fallback) {
    std::lock_guard lock(mutex_);
    script_ = std::move(checks);
    fallback_ = fallback;
  }
  int Checks() {
    std::lock_guard lock(mutex_);
    return checks_;
  }
  std::uint32_t Readings() {
    std::lock_guard lock(mutex_);
    return readings_;
  }

  // Plays the UI thread until `done` holds (a real-time guard against a hang).
  bool ServeUntil(const std::function<bool()>& done) {
    const auto deadline = Steady::now() + std::chrono::seconds(20);
    while (Steady::now() < deadline) {
      messages_->ProcessPending();
      if (done()) return true;
      dw::SleepFor(milliseconds(1));
    }
    return false;
  }
  // Serves for a while of real time in which nothing should happen.
  void ServeQuietly(milliseconds span) {
    const auto end = Steady::now() + span;
    while (Steady::now() < end) {
      messages_->ProcessPending();
      dw::SleepFor(milliseconds(2));
    }
  }

  std::shared_ptr<TestWindowMessages> messages_ = std::make_shared<TestWindowMessages>();
  std::shared_ptr<CountingMessages> counting_ = std::make_shared<CountingMessages>(messages_);
  std::shared_ptr<FakeClock> clock_ = std::make_shared<FakeClock>();
  std::weak_ptr<int> threadAlive_;
  WindowHandle window_ = 0;
  dw::Mutex mutex_;
  std::deque<bool> script_;
  bool fallback_ = true;
  int checks_ = 0;
  std::uint32_t readings_ = 0;
  std::vector<Seen> got_;  // UI thread only
  std::function<void(const Seen&)> onMessage_;
  std::unique_ptr<TrafficSampler> thread_;  // last: goes first
};

TEST_F(StatLoop, EveryTwoSecondsASampleCountedFromTheBaseline) {
  Make();
  EXPECT_FALSE(thread_->Running());  // created paused
  const milliseconds start = clock_->Monotonic();
  ASSERT_TRUE(thread_->Resume());
  EXPECT_TRUE(thread_->Running());
  ASSERT_TRUE(ServeUntil([&] { return got_.size() >= 4; }));
  for (std::size_t i = 0; i < 4; ++i) {
    const Seen& s = got_[i];
    const std::uint32_t n = static_cast<std::uint32_t>(i + 1);
    EXPECT_EQ(s.message, kMsgStatistics);
    EXPECT_EQ(s.wparam, 4'000u * n) << i;
    EXPECT_EQ(s.lparam, 1'000 * static_cast<std::intptr_t>(n)) << i;
    EXPECT_EQ(s.at - start, milliseconds(2000) * n) << i;
    EXPECT_EQ(s.connected, milliseconds(2000) * n) << i;
    EXPECT_EQ(s.speed, 5'000u * 1000 / 2001) << i;
    EXPECT_EQ(s.check, static_cast<int>(n)) << i;
    EXPECT_TRUE(s.running);
  }
}

TEST_F(StatLoop, ALossIsReportedAtTheSecondFailedCheckInARowAndThenAtEveryCheck) {
  Script({true, false, true, false, false, false, false}, true);
  Make();
  const milliseconds start = clock_->Monotonic();
  thread_->Resume();
  ASSERT_TRUE(ServeUntil([&] { return got_.size() >= 6; }));
  const std::vector<std::pair<std::uint32_t, int>> expected = {
      {kMsgStatistics, 1},     {kMsgStatistics, 3},     {kMsgConnectionLost, 5},
      {kMsgConnectionLost, 6}, {kMsgConnectionLost, 7}, {kMsgStatistics, 8}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(got_[i].message, expected[i].first) << i;
    EXPECT_EQ(got_[i].check, expected[i].second) << i;
    EXPECT_EQ(got_[i].at - start, milliseconds(2000) * got_[i].check) << i;
    if (got_[i].message == kMsgConnectionLost) {
      EXPECT_EQ(got_[i].wparam, 0u);
      EXPECT_EQ(got_[i].lparam, 0);
    }
  }
  // Failed checks take no reading; the sample after them counts all bytes.
  EXPECT_EQ(got_[5].wparam, 4'000u * 3);
}

TEST_F(StatLoop, APausedThreadStopsAndAfterRestartCountsAfresh) {
  Make();
  thread_->Resume();
  ASSERT_TRUE(ServeUntil([&] { return got_.size() >= 2; }));
  thread_->Pause();
  EXPECT_FALSE(thread_->Running());
  const std::size_t before = got_.size();
  ASSERT_TRUE(ServeUntil([&] { return thread_->WaitsPaused(); }));
  // At most the one message already on its way, and it says it is stale.
  ASSERT_LE(got_.size(), before + 1);
  for (std::size_t i = before; i < got_.size(); ++i) EXPECT_FALSE(got_[i].running);

  const std::size_t parkedWith = got_.size();
  const int checks = Checks();
  const milliseconds slept = clock_->TotalSlept();
  ServeQuietly(milliseconds(100));
  EXPECT_EQ(got_.size(), parkedWith);
  EXPECT_EQ(Checks(), checks);
  EXPECT_EQ(clock_->TotalSlept(), slept);

  // What the main window does for the next connection.
  thread_->Accumulate();
  thread_->Restart();
  const std::uint32_t k = Readings();
  thread_->SetBaseline(100'000 + 4'000 * k, 50'000 + 1'000 * k);
  const milliseconds resumedAt = clock_->Monotonic();
  thread_->Resume();
  ASSERT_TRUE(ServeUntil([&] { return got_.size() >= parkedWith + 2; }));
  const Seen& first = got_[parkedWith];
  EXPECT_EQ(first.message, kMsgStatistics);
  EXPECT_TRUE(first.running);
  EXPECT_EQ(first.wparam, 4'000u);
  EXPECT_EQ(first.lparam, 1'000);
  EXPECT_EQ(first.at - resumedAt, milliseconds(2000));  // a whole fresh period
  EXPECT_EQ(first.connected, milliseconds(2000));
  EXPECT_EQ(first.speed, 5'000u * 1000 / 2001);
  EXPECT_EQ(got_[parkedWith + 1].wparam, 8'000u);
}

TEST_F(StatLoop, PausedFromItsOwnLossHandlerTheThreadStopsAfterTheSendAndForgetsTheMiss) {
  Script({}, false);
  Make();
  onMessage_ = [&](const Seen& s) {
    if (s.message != kMsgConnectionLost) return;
    // The main window's handler: the thread waits for this very reply.
    thread_->Pause();
    thread_->Accumulate();
  };
  thread_->Resume();
  ASSERT_TRUE(ServeUntil([&] { return !got_.empty() && thread_->WaitsPaused(); }));
  ASSERT_EQ(got_.size(), 1u);
  EXPECT_EQ(got_[0].message, kMsgConnectionLost);
  EXPECT_EQ(got_[0].check, 2);
  EXPECT_TRUE(got_[0].running);  // seen before the handler paused it
  ServeQuietly(milliseconds(100));
  EXPECT_EQ(got_.size(), 1u);
  EXPECT_EQ(Checks(), 2);

  // Restored: one failed check right after the resume is not a loss yet.
  Script({false}, true);
  thread_->Restart();
  thread_->Resume();
  ASSERT_TRUE(ServeUntil([&] { return got_.size() >= 2; }));
  EXPECT_EQ(got_[1].message, kMsgStatistics);
  EXPECT_EQ(got_[1].check, 4);
}

TEST_F(StatLoop, RestoredWithinTheLossHandlerTheThreadGoesOnWithAFreshPeriod) {
  Script({false, false, false}, true);
  Make();
  milliseconds restartedAt{0};
  onMessage_ = [&](const Seen& s) {
    if (s.message != kMsgConnectionLost || restartedAt.count() != 0) return;
    thread_->Pause();
    thread_->Accumulate();
    thread_->Restart();  // a new dial succeeded inside the dialog
    thread_->SetBaseline(100'000, 50'000);
    restartedAt = clock_->Monotonic();
    thread_->Resume();
  };
  thread_->Resume();
  ASSERT_TRUE(ServeUntil([&] { return got_.size() >= 2; }));
  EXPECT_EQ(got_[0].message, kMsgConnectionLost);
  EXPECT_EQ(got_[0].check, 2);
  EXPECT_EQ(got_[1].message, kMsgStatistics);
  EXPECT_EQ(got_[1].check, 4);  // check 3 failed once: tolerated
  EXPECT_EQ(got_[1].at - restartedAt, milliseconds(4000));
  EXPECT_EQ(got_[1].connected, milliseconds(4000));
  EXPECT_EQ(got_[1].speed, 5'000u * 1000 / 4001);
}

TEST_F(StatLoop, DestroyedWhileItWaitsInASendTheUiThreadServesItAndJoins) {
  Make();
  thread_->Resume();
  // Not served: the thread's first kMsgStatistics waits for this thread.
  const auto deadline = Steady::now() + std::chrono::seconds(20);
  while (counting_->sends == 0 && Steady::now() < deadline) {
    dw::SleepFor(milliseconds(1));
  }
  ASSERT_EQ(counting_->sends.load(), 1);
  const auto before = Steady::now();
  thread_.reset();
  EXPECT_LT(Steady::now() - before, std::chrono::seconds(10));  // the limit is 30 s
  // The send was served during the wait, as stale news, and the thread ended.
  ASSERT_EQ(got_.size(), 1u);
  EXPECT_FALSE(got_[0].running);
  EXPECT_TRUE(threadAlive_.expired());
  EXPECT_EQ(counting_->sends.load(), 1);
}

TEST_F(StatLoop, TerminateEndsAPausedThreadAndNothingComesAfterIt) {
  Make();
  thread_->Resume();
  ASSERT_TRUE(ServeUntil([&] { return got_.size() >= 1; }));
  thread_->Pause();
  ASSERT_TRUE(ServeUntil([&] { return thread_->WaitsPaused(); }));
  const std::size_t seen = got_.size();
  thread_->Terminate();
  EXPECT_FALSE(thread_->Running());
  EXPECT_FALSE(thread_->Resume());  // no coming back
  ServeQuietly(milliseconds(50));
  thread_.reset();
  EXPECT_EQ(got_.size(), seen);
}

// Real time; the Windows build keeps its system clock out of the portable tests.
class SteadyClock final : public Clock {
 public:
  LocalDateTime Now() const override { return {}; }
  milliseconds Monotonic() const override {
    return std::chrono::duration_cast<milliseconds>(Steady::now().time_since_epoch());
  }
  void Sleep(milliseconds duration) override { dw::SleepFor(duration); }
};

TEST(StatLoopRealClock, TerminateDoesNotWaitOutThePeriod) {
  auto messages = std::make_shared<TestWindowMessages>();
  std::atomic<int> checks{0};
  TrafficSampler::Setup setup;
  setup.messages = messages;
  setup.clock = std::make_shared<SteadyClock>();
  setup.target = messages->AddWindow(
      [](std::uint32_t, std::uintptr_t, std::intptr_t) { return std::intptr_t{0}; });
  setup.connection = [] { return kConn; };
  setup.connIsOpen = [&checks](ras::Handle) { return ++checks, true; };
  setup.period = milliseconds(60'000);
  auto thread = std::make_unique<TrafficSampler>(std::move(setup));
  thread->Resume();
  dw::SleepFor(milliseconds(50));
  const auto before = Steady::now();
  thread.reset();
  EXPECT_LT(Steady::now() - before, std::chrono::seconds(10));
  EXPECT_EQ(checks.load(), 0);
}

TEST(StatLoopHung, AThreadStuckPastTheLimitIsLeftToEndOnItsOwn) {
  struct Gate {
    dw::Mutex mutex;
    dw::ConditionVariable changed;
    bool entered = false;
    bool open = false;
  };
  auto gate = std::make_shared<Gate>();
  auto token = std::make_shared<int>(0);  // held only by what the thread holds
  std::weak_ptr<int> watch = token;
  auto messages = std::make_shared<TestWindowMessages>();
  {
    TrafficSampler::Setup setup;
    setup.messages = messages;
    setup.clock = std::make_shared<FakeClock>();
    setup.target = messages->AddWindow(
        [](std::uint32_t, std::uintptr_t, std::intptr_t) { return std::intptr_t{0}; });
    setup.connection = [] { return kConn; };
    // A presence check that hangs until released, as a RAS call past its guard.
    setup.connIsOpen = [gate, token](ras::Handle) {
      std::unique_lock lock(gate->mutex);
      gate->entered = true;
      gate->changed.notify_all();
      gate->changed.wait(lock, [&] { return gate->open; });
      return false;
    };
    setup.getStatistics = [](std::uint32_t&, std::uint32_t&, ras::Handle) { return ras::Dword{0}; };
    setup.shutdownLimit = milliseconds(100);
    token.reset();
    TrafficSampler thread(std::move(setup));
    thread.Resume();
    {
      std::unique_lock lock(gate->mutex);
      ASSERT_TRUE(
          gate->changed.wait_for(lock, std::chrono::seconds(20), [&] { return gate->entered; }));
    }
  }  // destroyed with the thread still inside the check
  EXPECT_FALSE(watch.expired());
  {
    std::lock_guard lock(gate->mutex);
    gate->open = true;
  }
  gate->changed.notify_all();
  // The thread lets go of everything it held once it has ended.
  const auto deadline = Steady::now() + std::chrono::seconds(20);
  while (!watch.expired() && Steady::now() < deadline) dw::SleepFor(milliseconds(2));
  EXPECT_TRUE(watch.expired());
}

}  // namespace
}  // namespace dw::connection
