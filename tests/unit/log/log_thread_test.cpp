#include <gtest/gtest.h>

#include <set>

#include "crypto/encrypt.h"
#include "log/log.h"
#include "unit/log/log_test_support.h"
#include "platform/threads.h"

namespace dw {
namespace {

constexpr int kThreads = 8;
constexpr int kRecords = 1000;

// Every record of every thread arrives whole, on a line of its own.
void WriteFromThreadsAndCheck(bool plain) {
  testing::LogFolder folder;
  folder.Configure(plain ? std::vector<std::string>{"/l", "/n"} : std::vector<std::string>{"/l"});
  std::vector<dw::Thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kRecords; ++i) {
        WriteLog("THREAD-" + std::to_string(t), i, "record " + std::to_string(i));
      }
    });
  }
  for (auto& th : threads) th.join();

  const auto lines = folder.Lines();
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kRecords));
  std::set<std::string> seen;
  for (const auto& line : lines) seen.insert(plain ? line : DecryptString(line));
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kRecords; i += 97) {
      const std::string expected = "9:05:03 : src: THREAD-" + std::to_string(t) +
                                   "      code: " + std::to_string(i) + "         msg: record " +
                                   std::to_string(i);
      EXPECT_TRUE(seen.count(expected)) << expected;
    }
  }
  EXPECT_EQ(seen.size(), lines.size());  // no duplicates, so none lost
}

TEST(WriteLogThreads, EightThreadsLoseNoPlainRecord) {
  WriteFromThreadsAndCheck(true);
}
TEST(WriteLogThreads, EightThreadsLoseNoEncryptedRecord) {
  WriteFromThreadsAndCheck(false);
}

// Reconfiguring while others write must neither crash nor tear a record.
TEST(WriteLogThreads, ConfigureWhileWriting) {
  testing::LogFolder folder;
  folder.Configure({"/l", "/n"});
  std::atomic<bool> stop{false};
  dw::Thread writer([&] {
    while (!stop) WriteLog("X", 0, "y");
  });
  for (int i = 0; i < 200; ++i) {
    if (i % 2 == 0) {
      StopLog();
    } else {
      folder.Configure({"/l", "/n"});
    }
  }
  stop = true;
  writer.join();
  for (const auto& line : folder.Lines())
    EXPECT_EQ(line, "9:05:03 : src: X      code: 0         msg: y");
}

}  // namespace
}  // namespace dw
