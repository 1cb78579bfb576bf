// The progress dialog's shared values under the progress lock, written and
// read from several threads at once (run under ThreadSanitizer too).
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "ui/dialogs/progress_shared.h"
#include "platform/threads.h"

namespace dw::ui {
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

TEST(ProgressShared, TextsAreNeverTornBetweenThreads) {
  dw::Mutex lock;
  ProgressShared shared(lock);
  const std::string a(300, 'a');
  const std::string b(5, 'b');
  std::atomic<bool> stop{false};
  dw::Thread writer([&] {
    for (int i = 0; i < 20000; ++i) {
      shared.SetErrorText(i % 2 ? a : b);
      shared.SetErrorCode(static_cast<std::uint32_t>(i));
      shared.SetCancelled(i % 3 == 0);
      shared.MirrorBar(i % 600, 600, 10);
    }
    stop = true;
  });
  int bad = 0;
  while (!stop) {
    const std::string text = shared.ErrorText();
    if (!text.empty() && text != a && text != b) ++bad;
    (void)shared.Cancelled();
    if (shared.BarPosition() >= 600) ++bad;
  }
  writer.join();
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(shared.ErrorCode(), 19999u);
  EXPECT_EQ(shared.BarMax(), 600);
  EXPECT_EQ(shared.BarStep(), 10);
}

}  // namespace
}  // namespace dw::ui
