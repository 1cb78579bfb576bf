// The ledger's arithmetic as the main window drives it: samples of the
// connection's counters on a wall clock and a monotonic clock.
#include "usage/recorder.h"

#include <gtest/gtest.h>

#include "unit/usage/usage_test_support.h"

namespace dw::usage {
namespace {

using namespace std::chrono_literals;
using testing::MakeRecorder;
using testing::On;
using testing::Timeline;

constexpr std::uint64_t k4G = std::uint64_t{1} << 32;

class Recording : public ::testing::Test {
 protected:
  std::shared_ptr<MemoryDataFiles> files_ = std::make_shared<MemoryDataFiles>();
  Timeline time_{{2026, 12, 7, 12, 0, 0, 0}};

  // Samples every two seconds, each moving the counters by r and s.
  void Run(UsageRecorder& recorder, Counters& c, int samples, std::uint32_t r, std::uint32_t s) {
    for (int i = 0; i < samples; ++i) {
      time_.Advance(2s);
      c.received += r;
      c.sent += s;
      recorder.Sample(c, time_.Now(), time_.Mono());
    }
  }
};

TEST_F(Recording, BytesAndTimeSinceTheBaselineGoOnTheDay) {
  auto recorder = MakeRecorder(files_, time_);
  Counters c{1000, 500};  // 98/ME: the system's counters before the dial
  recorder->ConnectionStarted(c, time_.Now(), time_.Mono());
  Run(*recorder, c, 30, 6000, 1500);
  time_.Advance(1500ms);
  recorder->ConnectionEnded(time_.Now(), time_.Mono());
  EXPECT_EQ(On(*recorder, 2026, 12, 7), (Totals{180000, 45000, 61500}));
  EXPECT_FALSE(recorder->Connected());

  // Not connected: samples are late news and count nothing.
  recorder->Sample({999999, 999999}, time_.Now(), time_.Mono());
  EXPECT_EQ(On(*recorder, 2026, 12, 7).Bytes(), 225000u);
}

TEST_F(Recording, ASessionAcrossMidnightSplitsAtMidnight) {
  time_.SetWall({2026, 12, 7, 23, 59, 0, 0});
  auto recorder = MakeRecorder(files_, time_);
  Counters c{};
  recorder->ConnectionStarted(c, time_.Now(), time_.Mono());
  Run(*recorder, c, 29, 2000, 200);  // to 23:59:58
  time_.Advance(4s);                 // one reading 00:00:02, two seconds each side
  c.received += 4000;
  c.sent += 400;
  recorder->Sample(c, time_.Now(), time_.Mono());
  Run(*recorder, c, 30, 2000, 200);  // to 00:01:02
  recorder->ConnectionEnded(time_.Now(), time_.Mono());

  EXPECT_EQ(On(*recorder, 2026, 12, 7), (Totals{30 * 2000, 30 * 200, 60'000}));
  EXPECT_EQ(On(*recorder, 2026, 12, 8), (Totals{31 * 2000, 31 * 200, 62'000}));
}

TEST_F(Recording, ALongIntervalIsSpreadOverEveryDayItCovered) {
  time_.SetWall({2026, 12, 7, 22, 0, 0, 0});
  auto recorder = MakeRecorder(files_, time_);
  recorder->ConnectionStarted({0, 0}, time_.Now(), time_.Mono());
  // Readings stopped for 26 hours (a machine that slept): 22:00 to 00:00 of
  // the next day but one.
  time_.Advance(26h);
  recorder->Sample({26'000'000, 2'600'000}, time_.Now(), time_.Mono());
  EXPECT_EQ(On(*recorder, 2026, 12, 7), (Totals{2'000'000, 200'000, 2 * 3'600'000}));
  EXPECT_EQ(On(*recorder, 2026, 12, 8), (Totals{24'000'000, 2'400'000, 24 * 3'600'000}));
  // The interval ended exactly at midnight: nothing of it is on the 9th.
  EXPECT_EQ(On(*recorder, 2026, 12, 9), Totals{});
}

TEST_F(Recording, AClockSetBackPutsLaterUsageOnTheDayItNowSaysNeverNegative) {
  time_.SetWall({2026, 12, 8, 0, 30, 0, 0});
  auto recorder = MakeRecorder(files_, time_);
  Counters c{};
  recorder->ConnectionStarted(c, time_.Now(), time_.Mono());
  Run(*recorder, c, 10, 1000, 100);
  const Totals eighth = On(*recorder, 2026, 12, 8);
  EXPECT_EQ(eighth, (Totals{10'000, 1000, 20'000}));

  // The user sets the clock back an hour, over midnight.
  time_.SetWall({2026, 12, 7, 23, 30, 20, 0});
  Run(*recorder, c, 10, 1000, 100);
  EXPECT_EQ(On(*recorder, 2026, 12, 8), eighth);  // untouched, not reduced
  EXPECT_EQ(On(*recorder, 2026, 12, 7), (Totals{10'000, 1000, 20'000}));

  // And forward two days: only the monotonic time counts as connected.
  time_.SetWall({2026, 12, 10, 9, 0, 0, 0});
  Run(*recorder, c, 5, 1000, 100);
  EXPECT_EQ(On(*recorder, 2026, 12, 10), (Totals{5000, 500, 10'000}));
  EXPECT_EQ(On(*recorder, 2026, 12, 9), Totals{});
}

TEST_F(Recording, A9xCounterThatWrapsAt4GiBCountsOnlyItsGrowth) {
  auto recorder = MakeRecorder(files_, time_);
  // System-wide counters that have counted for a long time.
  Counters c{0xFFFFF000u, 0xFFFFFF00u};
  recorder->ConnectionStarted(c, time_.Now(), time_.Mono());
  Run(*recorder, c, 3, 0x1000, 0x80);  // both wrap on the way
  EXPECT_LT(c.received, 0x3000u);
  EXPECT_EQ(On(*recorder, 2026, 12, 7).received, 3u * 0x1000);
  EXPECT_EQ(On(*recorder, 2026, 12, 7).sent, 3u * 0x80);
}

TEST_F(Recording, ACounterThatStartsAgainCountsFromZeroAndNeverSubtracts) {
  auto recorder = MakeRecorder(files_, time_);
  Counters c{0, 0};  // 2000/XP: the connection's own counters
  recorder->ConnectionStarted(c, time_.Now(), time_.Mono());
  Run(*recorder, c, 5, 3'000'000, 100'000);  // 15 MB received
  // A new connection behind the same handle, a restarted service: back to
  // a few bytes. Not a wrap: 4 GiB cannot pass in two seconds.
  time_.Advance(2s);
  c = {700, 300};
  recorder->Sample(c, time_.Now(), time_.Mono());
  EXPECT_EQ(On(*recorder, 2026, 12, 7).received, 15'000'000u + 700);
  EXPECT_EQ(On(*recorder, 2026, 12, 7).sent, 500'000u + 300);
  // A reading that repeats the counters (a failed one) adds time only.
  time_.Advance(2s);
  recorder->Sample(c, time_.Now(), time_.Mono());
  EXPECT_EQ(On(*recorder, 2026, 12, 7).Bytes(), 15'500'000u + 1000);
}

TEST(CounterAdvance, AStepBackIsAWrapOnlyWhenTheTimeAllowsIt) {
  EXPECT_EQ(CounterAdvance(10, 25, 2000), 15u);
  EXPECT_EQ(CounterAdvance(7, 7, 2000), 0u);
  // Just below 2^32 to just above 0: a wrap.
  EXPECT_EQ(CounterAdvance(0xFFFFFFF0u, 0x10u, 2000), 0x20u);
  // 1 GiB short of the wrap: more than the fastest line moves in 2 s (plus
  // 2 s of slack), so a restart: the new reading from zero.
  EXPECT_EQ(CounterAdvance(0xC0000000u, 5000u, 2000), 5000u);
  // ...but after a minute without readings it is a wrap.
  EXPECT_EQ(CounterAdvance(0xC0000000u, 5000u, 60'000), 0x40000000u + 5000);
  // The 64-bit arithmetic holds at the extremes.
  EXPECT_EQ(CounterAdvance(0xFFFFFFFFu, 0xFFFFFFFEu, 1'000'000'000), k4G - 1);
  // No time at all (a monotonic reading that went back) still allows a wrap
  // of a few bytes, but not of 4 GiB.
  EXPECT_EQ(CounterAdvance(0xFFFFFFF0u, 0x10u, -5), 0x20u);
  EXPECT_EQ(CounterAdvance(1, 0, -5), 0u);
}

TEST_F(Recording, ByteCountsAre64BitPast4GiBADay) {
  auto recorder = MakeRecorder(files_, time_);
  Counters c{};
  recorder->ConnectionStarted(c, time_.Now(), time_.Mono());
  // 3 GiB a reading (a minute apart), the counter wrapping again and again.
  for (int i = 0; i < 6; ++i) {
    time_.Advance(60s);
    c.received += 0xC0000000u;
    recorder->Sample(c, time_.Now(), time_.Mono());
  }
  EXPECT_EQ(On(*recorder, 2026, 12, 7).received, 6 * std::uint64_t{0xC0000000u});
  EXPECT_GT(On(*recorder, 2026, 12, 7).received, k4G * 4);
}

TEST_F(Recording, ANewConnectionStartsFromItsOwnBaseline) {
  auto recorder = MakeRecorder(files_, time_);
  Counters c{50'000, 5000};
  recorder->ConnectionStarted(c, time_.Now(), time_.Mono());
  Run(*recorder, c, 2, 1000, 100);
  // Never ended (a sampler message lost): the next start ends it first.
  time_.Advance(10s);
  recorder->ConnectionStarted({0, 0}, time_.Now(), time_.Mono());
  EXPECT_EQ(On(*recorder, 2026, 12, 7), (Totals{2000, 200, 14'000}));
  EXPECT_TRUE(recorder->Connected());
  time_.Advance(2s);
  recorder->Sample({400, 40}, time_.Now(), time_.Mono());
  EXPECT_EQ(On(*recorder, 2026, 12, 7), (Totals{2400, 240, 16'000}));
}

TEST_F(Recording, TheFileIsWrittenAtMostOnceAMinuteWhileConnectedAndAtOnceAtTheEnd) {
  auto recorder = MakeRecorder(files_, time_);
  Counters c{};
  recorder->ConnectionStarted(c, time_.Now(), time_.Mono());
  EXPECT_FALSE(recorder->FlushIfDue(time_.Now(), time_.Mono()));  // nothing yet
  int writes = 0;
  for (int i = 0; i < 150; ++i) {  // five minutes of samples
    time_.Advance(2s);
    c.received += 100;
    recorder->Sample(c, time_.Now(), time_.Mono());
    if (recorder->FlushIfDue(time_.Now(), time_.Mono())) ++writes;
  }
  EXPECT_EQ(writes, 5);  // the first sample, then one a minute
  EXPECT_EQ(files_->Writes(), 5);
  time_.Advance(1s);
  recorder->ConnectionEnded(time_.Now(), time_.Mono());
  EXPECT_EQ(files_->Writes(), 6);
  EXPECT_TRUE(recorder->FlushNow(time_.Now(), time_.Mono()));  // nothing new: no write
  EXPECT_EQ(files_->Writes(), 6);

  // Everything is there for the next start.
  auto again = MakeRecorder(files_, time_);
  EXPECT_EQ(On(*again, 2026, 12, 7), (Totals{15'000, 0, 301'000}));
}

TEST_F(Recording, AFailedWriteKeepsTheLedgerAndIsTriedAgainAMinuteLater) {
  auto recorder = MakeRecorder(files_, time_);
  Counters c{};
  recorder->ConnectionStarted(c, time_.Now(), time_.Mono());
  files_->FailWrites(true);
  Run(*recorder, c, 1, 100, 0);
  EXPECT_FALSE(recorder->FlushIfDue(time_.Now(), time_.Mono()));
  Run(*recorder, c, 1, 100, 0);
  EXPECT_FALSE(recorder->FlushIfDue(time_.Now(), time_.Mono()));  // not every sample
  files_->FailWrites(false);
  Run(*recorder, c, 29, 100, 0);
  EXPECT_TRUE(recorder->FlushIfDue(time_.Now(), time_.Mono()));
  EXPECT_EQ(On(*MakeRecorder(files_, time_), 2026, 12, 7).received, 3100u);
}

TEST_F(Recording, FourHundredDaysAreKeptAndOlderOnesTrimmed) {
  auto recorder = MakeRecorder(files_, time_);
  // A connection every day for 500 days, ten minutes each.
  time_.SetWall({2025, 8, 1, 10, 0, 0, 0});
  for (int day = 0; day < 500; ++day) {
    Counters c{};
    recorder->ConnectionStarted(c, time_.Now(), time_.Mono());
    Run(*recorder, c, 300, 1000, 100);
    recorder->ConnectionEnded(time_.Now(), time_.Mono());
    time_.Advance(23h + 50min);
  }
  const Day today = DayOf(time_.Now());
  EXPECT_EQ(today, DayOf(2025, 8, 1) + 500);
  auto again = MakeRecorder(files_, time_);
  const auto& days = again->ledger().Days();
  ASSERT_EQ(days.size(), 400u);
  EXPECT_EQ(days.front().day, today - 400);  // the last write's today was a day earlier
  EXPECT_EQ(days.back().day, today - 1);
  EXPECT_EQ(days.back().usage, (Totals{300'000, 30'000, 600'000}));
  // Never below 400 days: the next day with use pushes the oldest out.
  Counters c{};
  again->ConnectionStarted(c, time_.Now(), time_.Mono());
  Run(*again, c, 1, 1000, 100);
  again->ConnectionEnded(time_.Now(), time_.Mono());
  ASSERT_EQ(again->ledger().Days().size(), 400u);
  EXPECT_EQ(again->ledger().Days().front().day, today - 399);

  // The last twelve periods and this one are all there.
  const auto periods = again->PreviousPeriods(time_.Now());
  ASSERT_EQ(periods.size(), 12u);
  EXPECT_EQ(periods.back().usage.received,
            300'000u * static_cast<std::uint64_t>(periods.back().period.Days()));
}

TEST_F(Recording, AClockSetYearsAheadDoesNotEmptyTheLedger) {
  auto recorder = MakeRecorder(files_, time_);
  for (int day = 0; day < 30; ++day) {
    Counters c{};
    recorder->ConnectionStarted(c, time_.Now(), time_.Mono());
    Run(*recorder, c, 2, 1000, 0);
    recorder->ConnectionEnded(time_.Now(), time_.Mono());
    time_.Advance(24h);
  }
  time_.SetWall({2099, 1, 1, 12, 0, 0, 0});
  Counters c{};
  recorder->ConnectionStarted(c, time_.Now(), time_.Mono());
  Run(*recorder, c, 2, 1000, 0);
  recorder->ConnectionEnded(time_.Now(), time_.Mono());
  auto again = MakeRecorder(files_, time_);
  EXPECT_EQ(again->ledger().Days().size(), 31u);
  EXPECT_EQ(again->ledger().Days().front().day, DayOf(2026, 12, 7));
}

TEST(Ledger, TrimKeepsTheNewestWithinItsRoomAndSumsSaturate) {
  Ledger ledger;
  for (Day d = 0; d < static_cast<Day>(kMaxDays) + 100; ++d) ledger.Add(d, {1, 2, 3});
  // All of them in the future of a clock set back: only the room limits.
  EXPECT_TRUE(ledger.Trim(-5000));
  ASSERT_EQ(ledger.Days().size(), kMaxDays);
  EXPECT_EQ(ledger.Days().front().day, 100);
  EXPECT_FALSE(ledger.Trim(-5000));

  Ledger big;
  big.Add(3, {~std::uint64_t{0} - 5, 0, 0});
  big.Add(3, {10, 0, 0});
  EXPECT_EQ(big.Sum({0, 10}).received, ~std::uint64_t{0});
  const auto days = big.DaysOf({2, 4});
  ASSERT_EQ(days.size(), 3u);
  EXPECT_EQ(days[0], (DayUsage{2, {}}));
  EXPECT_EQ(days[1].usage.received, ~std::uint64_t{0});
  EXPECT_TRUE(big.DaysOf({5, 4}).empty());
  EXPECT_FALSE(big.Assign({{4, {}}, {4, {}}}));
  EXPECT_EQ(big.Days().size(), 1u);
}

}  // namespace
}  // namespace dw::usage
