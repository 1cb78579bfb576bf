// The budget guard: warnings once per period that survive a restart, the
// disconnect option and its question at the next connect, the forecast.
#include "usage/budget.h"

#include <gtest/gtest.h>

#include "unit/usage/usage_test_support.h"

namespace dw::usage {
namespace {

using namespace std::chrono_literals;
using testing::MakeRecorder;
using testing::Timeline;

constexpr std::uint32_t kMiB = 1u << 20;

class Budget : public ::testing::Test {
 protected:
  std::shared_ptr<MemoryDataFiles> files_ = std::make_shared<MemoryDataFiles>();
  Timeline time_{{2026, 12, 7, 12, 0, 0, 0}};
  Counters c_{};

  // One reading moving `received` bytes; the flush the main window makes
  // after it.
  BudgetNews Step(UsageRecorder& recorder, std::uint32_t received) {
    time_.Advance(2s);
    c_.received += received;
    const BudgetNews news = recorder.Sample(c_, time_.Now(), time_.Mono());
    recorder.FlushIfDue(time_.Now(), time_.Mono());
    return news;
  }
  void Connect(UsageRecorder& recorder) {
    c_ = {};
    recorder.ConnectionStarted(c_, time_.Now(), time_.Mono());
  }
};

TEST_F(Budget, EachWarningComesOncePerPeriodAndSurvivesARestart) {
  const BudgetSettings budget{1, 4, false};  // 4 MB
  auto recorder = MakeRecorder(files_, time_, budget);
  Connect(*recorder);
  EXPECT_EQ(Step(*recorder, 3 * kMiB), BudgetNews{});
  // 80 % of 4 MB is 3,355,443.2 bytes: 3,355,443 is short of it.
  EXPECT_EQ(Step(*recorder, 3'355'443 - 3 * kMiB), BudgetNews{});
  EXPECT_EQ(Step(*recorder, 1), (BudgetNews{true, false, false}));
  EXPECT_EQ(Step(*recorder, 100), BudgetNews{});

  // The program is killed: the warning was written at once, so the next
  // run does not give it again.
  const int writes = files_->Writes();
  recorder = MakeRecorder(files_, time_, budget);
  EXPECT_GE(writes, 2);
  Connect(*recorder);
  EXPECT_EQ(Step(*recorder, 100), BudgetNews{});
  EXPECT_EQ(Step(*recorder, kMiB), (BudgetNews{false, true, false}));  // 100 %, no disconnect
  EXPECT_EQ(Step(*recorder, kMiB), BudgetNews{});
  recorder = MakeRecorder(files_, time_, budget);
  Connect(*recorder);
  EXPECT_EQ(Step(*recorder, kMiB), BudgetNews{});

  // The next period starts over.
  time_.SetWall({2027, 1, 1, 0, 0, 10, 0});
  EXPECT_EQ(Step(*recorder, 4 * kMiB), (BudgetNews{true, true, false}));  // both at once
  EXPECT_EQ(Step(*recorder, 1), BudgetNews{});
}

TEST_F(Budget, AWarningIsWrittenAtOnceButAFailingDiskIsNotTriedAtEverySample) {
  auto recorder = MakeRecorder(files_, time_, {1, 4, false});
  Connect(*recorder);
  Step(*recorder, 100);  // the first sample's write
  const int writes = files_->Writes();
  EXPECT_EQ(Step(*recorder, 100), BudgetNews{});
  EXPECT_EQ(files_->Writes(), writes);
  EXPECT_TRUE(Step(*recorder, 4 * kMiB).warn80);
  EXPECT_EQ(files_->Writes(), writes + 1);  // not a minute later: now

  files_->FailWrites(true);
  recorder = MakeRecorder(files_, time_, {1, 2, false});  // a new allowance: warnings anew
  Connect(*recorder);
  const int attempts = files_->WriteAttempts();
  EXPECT_TRUE(Step(*recorder, 1).warn100);
  EXPECT_EQ(files_->WriteAttempts(), attempts + 1);  // tried at once, failed
  for (int i = 0; i < 20; ++i) Step(*recorder, 1);
  EXPECT_EQ(files_->WriteAttempts(), attempts + 1);  // not at every sample after
  files_->FailWrites(false);
  for (int i = 0; i < 10; ++i) Step(*recorder, 1);  // a minute after the failed one
  EXPECT_EQ(files_->WriteAttempts(), attempts + 2);
  EXPECT_EQ(files_->Writes(), writes + 2);
  recorder = MakeRecorder(files_, time_, {1, 2, false});
  Connect(*recorder);
  EXPECT_EQ(Step(*recorder, 1), BudgetNews{});  // the warning was kept after all
}

TEST_F(Budget, ANewAllowanceStartsTheWarningsOverAndNoneMeansNoGuard) {
  auto recorder = MakeRecorder(files_, time_, {1, 4, false});
  Connect(*recorder);
  EXPECT_EQ(Step(*recorder, 5 * kMiB), (BudgetNews{true, true, false}));
  recorder->SetBudget({1, 10, false});
  EXPECT_EQ(Step(*recorder, 3 * kMiB + 200 * 1024), (BudgetNews{true, false, false}));  // 8.2 of 10
  recorder->SetBudget({1, 0, true});
  EXPECT_EQ(Step(*recorder, 100 * kMiB), BudgetNews{});
  EXPECT_FALSE(recorder->AskBeforeConnect(time_.Now()));
  EXPECT_EQ(recorder->AllowanceLeft(time_.Now()), 0u);
  EXPECT_EQ(recorder->RunOutForecast(time_.Now()).kind, Forecast::Kind::kNoAllowance);
}

TEST_F(Budget, UsedUpWithTheOptionOnHangsUpOnceThenAsksAtTheNextConnect) {
  const BudgetSettings budget{1, 2, true};
  auto recorder = MakeRecorder(files_, time_, budget);
  EXPECT_FALSE(recorder->AskBeforeConnect(time_.Now()));
  Connect(*recorder);
  EXPECT_FALSE(Step(*recorder, kMiB).disconnect);
  EXPECT_EQ(Step(*recorder, kMiB), (BudgetNews{true, true, true}));
  // The hang-up has not come through yet: no second order.
  EXPECT_FALSE(Step(*recorder, 10).disconnect);
  recorder->ConnectionEnded(time_.Now(), time_.Mono());

  // After a restart too, the connect asks first.
  recorder = MakeRecorder(files_, time_, budget);
  EXPECT_TRUE(recorder->AskBeforeConnect(time_.Now()));
  // A connection made anyway (or adopted) is hung up again...
  Connect(*recorder);
  EXPECT_TRUE(Step(*recorder, 10).disconnect);
  recorder->ConnectionEnded(time_.Now(), time_.Mono());
  // ...unless the user chose to go on: then nothing more this period.
  recorder->ConnectAnyway(time_.Now(), time_.Mono());
  EXPECT_FALSE(recorder->AskBeforeConnect(time_.Now()));
  recorder = MakeRecorder(files_, time_, budget);
  EXPECT_FALSE(recorder->AskBeforeConnect(time_.Now()));
  Connect(*recorder);
  EXPECT_FALSE(Step(*recorder, kMiB).disconnect);

  // A new period asks again once it is used up again.
  time_.SetWall({2027, 1, 2, 9, 0, 0, 0});
  EXPECT_FALSE(recorder->AskBeforeConnect(time_.Now()));
  EXPECT_TRUE(Step(*recorder, 3 * kMiB).disconnect);
  EXPECT_TRUE(recorder->AskBeforeConnect(time_.Now()));
  // Off: neither.
  recorder->SetBudget({1, 2, false});
  EXPECT_FALSE(recorder->AskBeforeConnect(time_.Now()));
}

TEST_F(Budget, TheAllowanceLeftAndThePeriodsFiguresFollowTheBillingDay) {
  time_.SetWall({2026, 12, 14, 10, 0, 0, 0});
  auto recorder = MakeRecorder(files_, time_, {15, 100, false});
  Connect(*recorder);
  Step(*recorder, 30 * kMiB);
  time_.SetWall({2026, 12, 15, 10, 0, 0, 0});  // a new period
  Step(*recorder, 10 * kMiB);
  const Period period = recorder->CurrentPeriod(time_.Now());
  EXPECT_EQ(period, (Period{DayOf(2026, 12, 15), DayOf(2027, 1, 14)}));
  EXPECT_EQ(recorder->PeriodTotals(period).received, 10u * kMiB);
  EXPECT_EQ(recorder->AllowanceLeft(time_.Now()), 90u * kMiB);
  const auto days = recorder->PeriodDays(period);
  ASSERT_EQ(days.size(), 31u);
  EXPECT_EQ(days[0].usage.received, 10u * kMiB);
  EXPECT_EQ(days[1].usage, Totals{});
  const auto previous = recorder->PreviousPeriods(time_.Now(), 12);
  ASSERT_EQ(previous.size(), 12u);
  EXPECT_EQ(previous[0].period, (Period{DayOf(2026, 11, 15), DayOf(2026, 12, 14)}));
  EXPECT_EQ(previous[0].usage.received, 30u * kMiB);
  EXPECT_EQ(previous[1].usage, Totals{});
}

TEST(Forecast, TheDayTheAverageDailyUseReachesTheAllowance) {
  const Period december{DayOf(2026, 12, 1), DayOf(2026, 12, 31)};
  const std::uint64_t allowance = 100u * kMiB;
  // 10 MB over the first 5 days: 2 MB a day, 100 MB on day 50.
  Forecast f = ForecastRunOut(december, DayOf(2026, 12, 5), 10u * kMiB, allowance);
  EXPECT_EQ(f.kind, Forecast::Kind::kRunsOut);
  EXPECT_EQ(IsoDate(f.day), "2027-01-19");
  EXPECT_FALSE(f.withinPeriod);
  // 40 MB in 10 days: 4 MB a day, the 25th.
  f = ForecastRunOut(december, DayOf(2026, 12, 10), 40u * kMiB, allowance);
  EXPECT_EQ(IsoDate(f.day), "2026-12-25");
  EXPECT_TRUE(f.withinPeriod);
  // A share that does not divide: rounded up to the day it is reached.
  f = ForecastRunOut(december, DayOf(2026, 12, 3), 7u * kMiB, 10u * kMiB);
  EXPECT_EQ(IsoDate(f.day), "2026-12-05");  // 7/3 a day: 9.33 on the 4th, 11.67 on the 5th
  // Exactly on the last day.
  f = ForecastRunOut(december, DayOf(2026, 12, 1), 1u * kMiB, 31u * kMiB);
  EXPECT_EQ(IsoDate(f.day), "2026-12-31");
  EXPECT_TRUE(f.withinPeriod);

  EXPECT_EQ(ForecastRunOut(december, DayOf(2026, 12, 5), 0, allowance).kind,
            Forecast::Kind::kNoUseYet);
  EXPECT_EQ(ForecastRunOut(december, DayOf(2026, 12, 5), allowance, allowance).kind,
            Forecast::Kind::kUsedUp);
  EXPECT_EQ(ForecastRunOut(december, DayOf(2026, 12, 5), 5, 0).kind, Forecast::Kind::kNoAllowance);
  // One byte against the largest allowance: far away, and no overflow.
  f = ForecastRunOut(december, DayOf(2026, 12, 31), 1, kMaxAllowanceMb * kBytesPerMegabyte);
  EXPECT_EQ(f.kind, Forecast::Kind::kRunsOut);
  EXPECT_FALSE(f.withinPeriod);
  EXPECT_GT(f.day, DayOf(2100, 1, 1));
  // A clock before the period still gives a rate (one day's).
  f = ForecastRunOut(december, DayOf(2026, 11, 2), 50u * kMiB, allowance);
  EXPECT_EQ(IsoDate(f.day), "2026-12-02");
}

TEST(BudgetTexts, OnlyDecimalValuesInRangeAreTaken) {
  EXPECT_EQ(BillingDayFromText("1"), 1);
  EXPECT_EQ(BillingDayFromText("31"), 31);
  EXPECT_EQ(BillingDayFromText("031"), 31);
  for (const char* bad : {"", "0", "32", "-1", "+5", " 5", "5 ", "1e1", "x", "99999999999999999"}) {
    EXPECT_EQ(BillingDayFromText(bad), std::nullopt) << '"' << bad << '"';
  }
  EXPECT_EQ(AllowanceFromText("0"), 0u);
  EXPECT_EQ(AllowanceFromText("4096"), 4096u);
  EXPECT_EQ(AllowanceFromText("10000000"), kMaxAllowanceMb);
  EXPECT_EQ(AllowanceFromText("10000001"), std::nullopt);
  EXPECT_EQ(AllowanceFromText("4294967296"), std::nullopt);
  EXPECT_EQ(AllowanceFromText("12.5"), std::nullopt);
  EXPECT_EQ(FlagFromText("1"), true);
  EXPECT_EQ(FlagFromText("0"), false);
  EXPECT_EQ(FlagFromText("true"), std::nullopt);
  EXPECT_EQ(BudgetSettings({1, 3, false}).AllowanceBytes(), 3u * 1048576);
}

}  // namespace
}  // namespace dw::usage
