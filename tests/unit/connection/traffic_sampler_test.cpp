// The sampling arithmetic, one step at a time with no thread running.
#include "connection/traffic_sampler.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/fake/fake_clock.h"
#include "platform/fake/test_messages.h"

namespace dw::connection {
namespace {

using std::chrono::milliseconds;

class StatSample : public ::testing::Test {
 protected:
  StatSample() {
    TrafficSampler::Setup setup;
    setup.messages = messages_;
    setup.clock = clock_;
    setup.target = 1;
    setup.connIsOpen = [](ras::Handle) { return true; };
    setup.getStatistics = [this](std::uint32_t& r, std::uint32_t& s, ras::Handle conn) {
      lastHandle_ = conn;
      if (result_ == 0) {
        if (receivedReadable_) r = received_;
        s = sent_;
      }
      return result_;
    };
    thread_ = std::make_unique<TrafficSampler>(std::move(setup));
  }

  void Reading(std::uint32_t received, std::uint32_t sent, ras::Dword result = 0) {
    received_ = received;
    sent_ = sent;
    result_ = result;
  }

  std::shared_ptr<TestWindowMessages> messages_ = std::make_shared<TestWindowMessages>();
  std::shared_ptr<FakeClock> clock_ = std::make_shared<FakeClock>();
  std::uint32_t received_ = 0;
  std::uint32_t sent_ = 0;
  ras::Dword result_ = 0;
  bool receivedReadable_ = true;  // false: as 98/ME's registry without that value
  ras::Handle lastHandle_ = 0;
  std::unique_ptr<TrafficSampler> thread_;
};

TEST_F(StatSample, TheFirstSampleAfterRestartCountsFromTheBaselineOverTheTimeSinceTheReset) {
  clock_->Advance(milliseconds(5000));
  thread_->SetBaseline(10'000, 2'000);
  thread_->Restart();
  clock_->Advance(milliseconds(2000));
  Reading(10'000 + 6'000, 2'000 + 1'500);
  thread_->Sample(99);
  EXPECT_EQ(lastHandle_, 99u);
  EXPECT_EQ(thread_->Received(), 6'000u);
  EXPECT_EQ(thread_->Sent(), 1'500u);
  EXPECT_EQ(thread_->CurrentSpeed(), 7'500u * 1000 / 2001);
  EXPECT_EQ(thread_->ConnectedTime(), milliseconds(2000));

  // The next one measures from the previous sample, both directions together.
  clock_->Advance(milliseconds(1999));
  Reading(10'000 + 9'000, 2'000 + 2'000);
  thread_->Sample(99);
  EXPECT_EQ(thread_->CurrentSpeed(), 3'500u * 1000 / 2000);
  EXPECT_EQ(thread_->ConnectedTime(), milliseconds(3999));

  // Two samples in the same millisecond stay defined.
  Reading(10'000 + 9'100, 2'000 + 2'000);
  thread_->Sample(99);
  EXPECT_EQ(thread_->CurrentSpeed(), 100u * 1000);
}

TEST_F(StatSample, ACounterThatGoesDownGivesTheSizeOfItsDropPerSecond) {
  thread_->Restart();
  clock_->Advance(milliseconds(2000));
  Reading(50'000, 1'000);
  thread_->Sample(1);
  clock_->Advance(milliseconds(2000));
  Reading(40'000, 1'000);  // the counter was reset under us
  thread_->Sample(1);
  EXPECT_EQ(thread_->CurrentSpeed(), 10'000u * 1000 / 2001);
  EXPECT_EQ(thread_->Received(), 40'000u);

  // One up and one down by the same amount: they cancel, as a signed sum.
  clock_->Advance(milliseconds(2000));
  Reading(45'000, 0);
  thread_->Sample(1);
  EXPECT_EQ(thread_->CurrentSpeed(), 4'000u * 1000 / 2001);
}

TEST_F(StatSample, ThirtyTwoBitCountersWrapAgainstTheBaselineAndTheSpeedNeverWraps) {
  // 9x counters run across connections: one that passed 2^32 since the
  // baseline still counts from it.
  thread_->SetBaseline(0xFFFFF000u, 0);
  thread_->Restart();
  clock_->Advance(milliseconds(2000));
  Reading(0x00000800u, 0);
  thread_->Sample(1);
  EXPECT_EQ(thread_->Received(), 0x1800u);
  EXPECT_EQ(thread_->CurrentSpeed(), 0x1800u * 1000 / 2001);

  // Jumps the 64-bit arithmetic needs; the speed stops at its largest value.
  thread_->SetBaseline(0, 0);
  thread_->Restart();
  Reading(0xFFFFFFFFu, 0xFFFFFFFFu);
  thread_->Sample(1);
  EXPECT_EQ(thread_->CurrentSpeed(), 0xFFFFFFFFu);
  clock_->Advance(milliseconds(3'000'000));
  Reading(0, 0);
  thread_->Sample(1);
  EXPECT_EQ(thread_->CurrentSpeed(), 2ull * 0xFFFFFFFFu * 1000 / 3'000'001);
}

TEST_F(StatSample, AFailedReadingGivesSpeedZeroKeepsTheCountersAndStillMovesTheTime) {
  thread_->Restart();
  clock_->Advance(milliseconds(2000));
  Reading(8'000, 2'000);
  thread_->Sample(1);
  ASSERT_NE(thread_->CurrentSpeed(), 0u);

  clock_->Advance(milliseconds(2000));
  Reading(99'999, 99'999, 6);
  thread_->Sample(1);
  EXPECT_EQ(thread_->CurrentSpeed(), 0u);
  EXPECT_EQ(thread_->Received(), 8'000u);
  EXPECT_EQ(thread_->Sent(), 2'000u);
  EXPECT_EQ(thread_->ConnectedTime(), milliseconds(4000));

  // The next good one measures over the 2 s since the failed one.
  clock_->Advance(milliseconds(2000));
  Reading(12'000, 2'000);
  thread_->Sample(1);
  EXPECT_EQ(thread_->CurrentSpeed(), 4'000u * 1000 / 2001);
}

TEST_F(StatSample, ACounterTheSystemCannotGiveKeepsItsLastValueWhileTheOtherMoves) {
  thread_->SetBaseline(10'000, 2'000);
  thread_->Restart();
  receivedReadable_ = false;
  clock_->Advance(milliseconds(1000));
  Reading(99'999, 2'000 + 700);
  thread_->Sample(1);
  EXPECT_EQ(thread_->Received(), 0u);  // never read: 0, not the baseline wrapped
  EXPECT_EQ(thread_->Sent(), 700u);
  EXPECT_EQ(thread_->CurrentSpeed(), 700u * 1000 / 1001);

  receivedReadable_ = true;
  clock_->Advance(milliseconds(1000));
  Reading(10'000 + 3'000, 2'000 + 900);
  thread_->Sample(1);
  EXPECT_EQ(thread_->Received(), 3'000u);
  EXPECT_EQ(thread_->Sent(), 900u);

  receivedReadable_ = false;
  clock_->Advance(milliseconds(1000));
  Reading(0, 2'000 + 1'000);
  thread_->Sample(1);
  EXPECT_EQ(thread_->Received(), 3'000u);
  EXPECT_EQ(thread_->Sent(), 1'000u);
  EXPECT_EQ(thread_->CurrentSpeed(), 100u * 1000 / 1001);
}

TEST_F(StatSample, RestartStartsTimeAndCountersAgainAndAccumulateCarriesTheTime) {
  thread_->Restart();
  clock_->Advance(milliseconds(2000));
  Reading(1'000, 1'000);
  thread_->Sample(1);
  thread_->Accumulate();
  EXPECT_EQ(thread_->ConnectedTime(), milliseconds(4000));  // elapsed + accumulated
  thread_->Restart();
  EXPECT_EQ(thread_->ConnectedTime(), milliseconds(0));
  EXPECT_EQ(thread_->Received(), 0u);
  EXPECT_EQ(thread_->Sent(), 0u);
  // The speed is the last sample's until the next one.
  EXPECT_EQ(thread_->CurrentSpeed(), 2'000u * 1000 / 2001);
}

}  // namespace
}  // namespace dw::connection
