// The RAS notification routine racing the dial thread's end: RAS may call it
// from its own thread at any moment, also after the thread that dialled has
// gone with the windows it reported to.
#include <gtest/gtest.h>

#include <atomic>

#include "unit/connection/dial_fixture.h"
#include "platform/threads.h"

namespace dw::connection::test {
namespace {

class DialNotifyRace : public DialTest {};

TEST_F(DialNotifyRace, LateNotificationsNeverReachAThreadThatEnded) {
  Prepare(ras::Generation::kWinXp);
  std::atomic<bool> stop{false};
  std::atomic<long> calls{0};
  // RAS's side: notifications of every kind except the final ones, all the
  // time, whether a dial runs or not.
  dw::Thread ras([&] {
    ras::Dword state = 0;
    while (!stop.load()) {
      DialThread::DialNotify(ras::kWmRasDialEvent, state, 0);
      state = (state + 1) % 22;
      calls.fetch_add(1);
      std::this_thread::yield();
    }
  });

  for (int run = 0; run < 12; ++run) {
    // Everything the notifications may reach lives for this run only, so a
    // notification that outlived its thread would touch freed memory.
    auto lock = std::make_unique<dw::Mutex>();
    auto shared = std::make_unique<connection::ProgressShared>(*lock);
    const WindowHandle window = messages_.AddWindow([&](std::uint32_t m, std::uintptr_t, std::intptr_t) {
      if (m == kMsgProgressStep) shared->MirrorBar(std::min(shared->BarPosition() + 10, 300), 600, 10);
      return std::intptr_t{0};
    });
    shared->SetWindow(window);
    shared->MirrorBar(0, 600, 10);
    DialDependencies deps = Deps();
    deps.progress = shared.get();
    std::vector<std::string> apns = {"internet.kvr"};
    {
      auto thread = std::make_unique<DialThread>(deps);
      thread->Resume({kModem, kEntry, apns});
      while (!thread->Terminated()) {
        messages_.WaitServing(thread->TerminatedEvent(), std::chrono::milliseconds(5));
        (void)thread->StatusText();
      }
      EXPECT_NE(thread->Result().connection, 0u) << run;
      thread.reset();
    }
    EXPECT_FALSE(DialThreadRegistered());
    messages_.RemoveWindow(window);
    shared.reset();
    lock.reset();
    // Hang the connection up for the next run, serving the waits' messages.
    for (const auto& c : sim_->Connections()) {
      ras::CallBinding().HangUp(c.connection.handle);
    }
    clock_.Advance(1000);
    ASSERT_TRUE(sim_->Connections().empty());
  }
  stop.store(true);
  ras.join();
  EXPECT_GT(calls.load(), 0);
}

TEST_F(DialNotifyRace, StatusIsReadWhileRasReplacesIt) {
  Prepare(ras::Generation::kWin2000);
  for (int run = 0; run < 4; ++run) {
    std::vector<std::string> apns = {"internet.kvr"};
    DialThread thread(Deps());
    // The progress window reads the status on each step, while RAS's thread
    // writes it.
    EXPECT_NE(RunDial(thread, apns), 0u) << run;
    for (const auto& c : sim_->Connections()) ras::CallBinding().HangUp(c.connection.handle);
    clock_.Advance(1000);
    ASSERT_TRUE(sim_->Connections().empty());
  }
  EXPECT_GT(events.size(), 40u);
}

}  // namespace
}  // namespace dw::connection::test
