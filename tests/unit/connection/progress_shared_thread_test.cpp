// The progress dialog's shared values under the progress lock, written and
// read from several threads at once (run under ThreadSanitizer too).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "connection/progress_shared.h"
#include "platform/threads.h"

namespace dw::connection {
namespace {

TEST(ProgressShared, StartsEmpty) {
  dw::Mutex lock;
  ProgressShared shared(lock);
  EXPECT_EQ(shared.ErrorCode(), 0u);
  EXPECT_EQ(shared.ErrorText(), "");
  EXPECT_FALSE(shared.Cancelled());
  EXPECT_EQ(shared.Window(), 0u);
}

TEST(ProgressShared, AccessorsTakeTheGivenLock) {
  dw::Mutex lock;
  ProgressShared shared(lock);
  std::unique_lock held(lock);
  std::atomic<bool> done{false};
  dw::Thread writer([&] {
    shared.SetErrorCode(691);
    done = true;
  });
  dw::SleepFor(std::chrono::milliseconds(50));
  EXPECT_FALSE(done.load()) << "the setter did not wait for the progress lock";
  held.unlock();
  writer.join();
  EXPECT_EQ(shared.ErrorCode(), 691u);
}

// The writer alternates between two sets of values until the reader has seen
// both of every kind in enough reads to catch a short-lived torn value (or a
// time limit), so the check runs against live writes.
// The two numbers of each kind differ in every byte and half, and the texts in
// length: a torn write or read gives a third value.
TEST(ProgressShared, ValuesAreNeverTornBetweenThreads) {
  dw::Mutex lock;
  ProgressShared shared(lock);
  const std::string texts[2] = {std::string(5, 'b'), std::string(300, 'a')};
  constexpr int kPositions[2] = {0x00FF00FF, 0x7F007F00};
  constexpr int kMaxes[2] = {0x0000FFFF, 0x7FFF0000};
  constexpr int kSteps[2] = {0x01010101, 0x10101010};
  std::atomic<bool> seenAll{false};
  std::atomic<bool> stop{false};
  std::atomic<int> last{-1};
  dw::Thread writer([&] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (int i = 0; !seenAll && std::chrono::steady_clock::now() < deadline; ++i) {
      const int k = i % 2;
      shared.SetErrorText(texts[k]);
      shared.SetErrorCode(static_cast<std::uint32_t>(i));
      shared.SetCancelled(k == 1);
      shared.MirrorBar(kPositions[k], kMaxes[k], kSteps[k]);
      last = i;
    }
    stop = true;
  });
  // Index 2 counts the values neither set has; the initial "" and 0 are left out.
  int text[3] = {}, position[3] = {}, max[3] = {}, step[3] = {};
  constexpr long kReads = 200000;
  long reads = 0;
  const auto kind = [](const auto& value, const auto& set, const auto& none) {
    return value == set[0] ? 0 : value == set[1] ? 1 : value == none ? -1 : 2;
  };
  const auto count = [](int (&tally)[3], int k) {
    if (k >= 0) ++tally[k];
  };
  const auto both = [](const int (&tally)[3]) { return tally[0] > 0 && tally[1] > 0; };
  while (!stop) {
    count(text, kind(shared.ErrorText(), texts, std::string()));
    (void)shared.Cancelled();
    count(position, kind(shared.BarPosition(), kPositions, 0));
    count(max, kind(shared.BarMax(), kMaxes, 0));
    count(step, kind(shared.BarStep(), kSteps, 0));
    if (++reads >= kReads && both(text) && both(position) && both(max) && both(step)) {
      seenAll = true;
    }
  }
  writer.join();
  EXPECT_TRUE(seenAll) << "the reader never saw both values of every kind";
  EXPECT_EQ(text[2], 0);
  EXPECT_EQ(position[2], 0);
  EXPECT_EQ(max[2], 0);
  EXPECT_EQ(step[2], 0);
  ASSERT_GE(last.load(), 0);
  const int k = last % 2;
  EXPECT_EQ(shared.ErrorCode(), static_cast<std::uint32_t>(last.load()));
  EXPECT_EQ(shared.ErrorText(), texts[k]);
  EXPECT_EQ(shared.Cancelled(), k == 1);
  EXPECT_EQ(shared.BarPosition(), kPositions[k]);
  EXPECT_EQ(shared.BarMax(), kMaxes[k]);
  EXPECT_EQ(shared.BarStep(), kSteps[k]);
}

}  // namespace
}  // namespace dw::connection
