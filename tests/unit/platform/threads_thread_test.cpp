// The program's threads, locks and condition variables: natively the
// standard ones; cross-built, the Windows ones (run under Wine in every
// generation), which must keep the same promises.
#include "platform/threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace dw {
namespace {

using namespace std::chrono_literals;

// Waits (with a limit) until `ready` holds, without a lock of the test's own.
template <class Ready>
bool Eventually(Ready ready, std::chrono::milliseconds limit = 10s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!ready()) {
    if (std::chrono::steady_clock::now() > end) return false;
    SleepFor(1ms);
  }
  return true;
}

TEST(Threads, RunWithTheirArgumentsAndJoin) {
  std::atomic<int> sum{0};
  auto owned = std::make_shared<int>(40);
  ThreadId ranOn;
  Thread t(
      [&](std::shared_ptr<int> value, int more) {
        ranOn = CurrentThreadId();
        sum = *value + more;
      },
      owned, 2);
  EXPECT_TRUE(t.joinable());
  const ThreadId id = t.get_id();
  EXPECT_NE(id, CurrentThreadId());
  t.join();
  EXPECT_FALSE(t.joinable());
  EXPECT_EQ(sum.load(), 42);
  EXPECT_EQ(ranOn, id);
  EXPECT_EQ(owned.use_count(), 1) << "the thread's copy of its arguments is gone after it ends";
}

TEST(Threads, MoveAndDetach) {
  std::atomic<bool> ran{false};
  Thread a([&] { ran = true; });
  Thread b;
  EXPECT_FALSE(b.joinable());
  b = std::move(a);
  EXPECT_FALSE(a.joinable());
  ASSERT_TRUE(b.joinable());
  b.detach();
  EXPECT_FALSE(b.joinable());
  EXPECT_TRUE(Eventually([&] { return ran.load(); }));
}

TEST(Threads, AMutexKeepsIncrementsWhole) {
  Mutex m;
  long counter = 0;  // plain: only the mutex protects it
  std::vector<Thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        std::lock_guard lock(m);
        const long seen = counter;
        if (i % 1000 == 0) SleepFor(0ms);  // invite a switch inside the lock
        counter = seen + 1;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(counter, 80000);
}

TEST(ConditionVariables, WaitForTimesOutWithoutANotification) {
  Mutex m;
  ConditionVariable cv;
  std::unique_lock lock(m);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(cv.wait_for(lock, 40ms, [] { return false; }));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 35ms);
  EXPECT_TRUE(lock.owns_lock()) << "the lock is held again after the wait";
  EXPECT_TRUE(cv.wait_for(lock, 0ms, [] { return true; })) << "a condition already true needs no wait";
}

TEST(ConditionVariables, NotifyAllWakesEveryWaiter) {
  Mutex m;
  ConditionVariable cv;
  bool go = false;
  int waiting = 0;
  std::atomic<int> woken{0};
  std::vector<Thread> threads;
  for (int t = 0; t < 5; ++t) {
    threads.emplace_back([&] {
      std::unique_lock lock(m);
      ++waiting;
      cv.wait(lock, [&] { return go; });
      ++woken;
    });
  }
  ASSERT_TRUE(Eventually([&] {
    std::lock_guard lock(m);
    return waiting == 5;
  }));
  {
    std::lock_guard lock(m);
    go = true;
  }
  cv.notify_all();
  for (auto& t : threads) t.join();
  EXPECT_EQ(woken.load(), 5);
}

// notify_one wakes one waiter, and a second wakes the next: no wake-up is
// lost between two waiters.
TEST(ConditionVariables, NotifyOneWakesOneWaiterAtATime) {
  Mutex m;
  ConditionVariable cv;
  int tickets = 0;
  int waiting = 0;
  std::atomic<int> done{0};
  std::vector<Thread> threads;
  for (int t = 0; t < 2; ++t) {
    threads.emplace_back([&] {
      std::unique_lock lock(m);
      ++waiting;
      cv.wait(lock, [&] { return tickets > 0; });
      --tickets;
      ++done;
    });
  }
  ASSERT_TRUE(Eventually([&] {
    std::lock_guard lock(m);
    return waiting == 2;
  }));
  {
    std::lock_guard lock(m);
    ++tickets;
  }
  cv.notify_one();
  ASSERT_TRUE(Eventually([&] { return done.load() == 1; }));
  SleepFor(20ms);
  EXPECT_EQ(done.load(), 1) << "one notification, one ticket: the other waiter sleeps on";
  {
    std::lock_guard lock(m);
    ++tickets;
  }
  cv.notify_one();
  for (auto& t : threads) t.join();
  EXPECT_EQ(done.load(), 2);
}

// A producer and a consumer handing over many items: a lost wake-up would
// hang the consumer (the test's limit ends it), a spurious one is harmless.
TEST(ConditionVariables, HandOverManyItemsWithoutLosingAWakeUp) {
  Mutex m;
  ConditionVariable changed;
  std::vector<int> queue;
  const int kItems = 3000;
  long long received = 0;
  Thread consumer([&] {
    for (int got = 0; got < kItems;) {
      std::unique_lock lock(m);
      if (!changed.wait_for(lock, 10s, [&] { return !queue.empty(); })) return;
      for (int v : queue) received += v;
      got += static_cast<int>(queue.size());
      queue.clear();
      changed.notify_all();
    }
  });
  for (int i = 1; i <= kItems; ++i) {
    std::unique_lock lock(m);
    queue.push_back(i);
    changed.notify_all();
    if (i % 7 == 0) changed.wait_for(lock, 10s, [&] { return queue.empty(); });
  }
  consumer.join();
  EXPECT_EQ(received, static_cast<long long>(kItems) * (kItems + 1) / 2);
}

TEST(ConditionVariables, WaitUntilADeadlineInThePast) {
  Mutex m;
  ConditionVariable cv;
  std::unique_lock lock(m);
  EXPECT_EQ(cv.wait_until(lock, std::chrono::steady_clock::now() - 1s), CvStatus::timeout);
  EXPECT_TRUE(lock.owns_lock());
}

}  // namespace
}  // namespace dw
