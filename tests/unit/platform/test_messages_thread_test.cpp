#include "platform/fake/test_messages.h"

#include <gtest/gtest.h>

#include <atomic>
#include "platform/threads.h"

namespace dw {
namespace {

using namespace std::chrono_literals;

TEST(TestWindowMessages, WorkerSendRunsOnUiThreadAndReturnsResult) {
  TestWindowMessages messages;
  dw::ThreadId ranOn;
  const WindowHandle w = messages.AddWindow([&](std::uint32_t msg, std::uintptr_t wp, std::intptr_t lp) {
    ranOn = dw::CurrentThreadId();
    return static_cast<std::intptr_t>(msg + wp + lp);
  });
  auto done = messages.NewEvent();
  std::intptr_t result = 0;
  dw::Thread worker([&] {
    result = messages.Send(w, 0x403, 10, 5);
    done->Set();
  });
  EXPECT_TRUE(messages.WaitServing(*done, 10s));
  worker.join();
  EXPECT_EQ(result, 0x403 + 15);
  EXPECT_EQ(ranOn, dw::CurrentThreadId());
}

TEST(TestWindowMessages, WaitWakesEarlyAndTimesOutWhenNothingHappens) {
  TestWindowMessages messages;
  auto never = messages.NewEvent();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(messages.WaitServing(*never, 50ms));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 45ms);

  auto soon = messages.NewEvent();
  dw::Thread setter([&] {
    dw::SleepFor(20ms);
    soon->Set();
  });
  const auto begin = std::chrono::steady_clock::now();
  EXPECT_TRUE(messages.WaitServing(*soon, 60s));
  EXPECT_LT(std::chrono::steady_clock::now() - begin, 30s);  // woke on the event, not the limit
  setter.join();
  EXPECT_TRUE(soon->IsSet());
}

TEST(TestWindowMessages, SendFromUiThreadIsDirectAndGoneWindowGivesZero) {
  TestWindowMessages messages;
  int calls = 0;
  const WindowHandle w = messages.AddWindow([&](std::uint32_t, std::uintptr_t, std::intptr_t) {
    ++calls;
    return std::intptr_t{7};
  });
  EXPECT_EQ(messages.Send(w, 0x404, 0, 0), 7);
  EXPECT_EQ(calls, 1);
  messages.RemoveWindow(w);
  EXPECT_EQ(messages.Send(w, 0x404, 0, 0), 0);

  std::atomic<std::intptr_t> fromWorker{-1};
  dw::Thread worker([&] { fromWorker = messages.Send(w, 0x404, 0, 0); });
  while (fromWorker == -1) {
    messages.ProcessPending();
    std::this_thread::yield();
  }
  worker.join();
  EXPECT_EQ(fromWorker, 0);
}

TEST(TestWindowMessages, ManyWorkersAreServedInTurn) {
  TestWindowMessages messages;
  int total = 0;  // touched only on the UI thread
  const WindowHandle w = messages.AddWindow([&](std::uint32_t, std::uintptr_t wp, std::intptr_t) {
    total += static_cast<int>(wp);
    return std::intptr_t{0};
  });
  auto done = messages.NewEvent();
  std::atomic<int> finished{0};
  std::vector<dw::Thread> workers;
  for (int i = 0; i < 4; ++i) {
    workers.emplace_back([&] {
      for (int k = 0; k < 100; ++k) messages.Send(w, 0x403, 1, 0);
      if (++finished == 4) done->Set();
    });
  }
  EXPECT_TRUE(messages.WaitServing(*done, 60s));
  for (auto& t : workers) t.join();
  EXPECT_EQ(total, 400);
}

}  // namespace
}  // namespace dw
