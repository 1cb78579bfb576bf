#include "usage/billing.h"

#include <gtest/gtest.h>

#include "usage/calendar.h"

namespace dw::usage {
namespace {

Day D(int y, int m, int d) {
  return DayOf(y, m, d);
}

std::string Text(const Period& p) {
  return IsoDate(p.first) + ".." + IsoDate(p.last);
}

TEST(Calendar, DayNumbersRoundTripAcrossCenturiesAndLeapDays) {
  EXPECT_EQ(D(1970, 1, 1), 0);
  EXPECT_EQ(D(2000, 3, 1) - D(2000, 2, 28), 2);  // 2000 is a leap year
  EXPECT_EQ(D(1900, 3, 1) - D(1900, 2, 28), 1);  // 1900 is not
  EXPECT_EQ(D(2024, 12, 31) - D(2024, 1, 1), 365);
  for (Day day = D(1899, 12, 25); day <= D(2101, 1, 5); ++day) {
    const Date date = DateOf(day);
    ASSERT_EQ(DayOf(date.year, date.month, date.day), day) << IsoDate(day);
    ASSERT_EQ(DateOf(day + 1).day == 1, date.day == DaysInMonth(date.year, date.month))
        << IsoDate(day);
  }
  EXPECT_EQ(IsoDate(D(2026, 2, 3)), "2026-02-03");
  EXPECT_EQ(IsoDate(D(1969, 12, 31)), "1969-12-31");
  EXPECT_EQ(IsoDate(D(999, 1, 9)), "0999-01-09");
  EXPECT_EQ(ZeroPadded(7, 2), "07");
  EXPECT_EQ(ZeroPadded(12345, 2), "12345");
  EXPECT_EQ(ZeroPadded(0, 1), "0");
  EXPECT_EQ(ZeroPadded(-5, 3), "-005");
  EXPECT_EQ(ZeroPadded(INT64_MIN, 1), "-9223372036854775808");
}

TEST(Calendar, ReadingsOutOfRangeAreClampedNotWrapped) {
  EXPECT_EQ(DayOf(2026, 2, 31), D(2026, 2, 28));
  EXPECT_EQ(DayOf(2026, 13, 5), D(2026, 12, 5));
  EXPECT_EQ(DayOf(2026, 0, 0), D(2026, 1, 1));
  EXPECT_EQ(DaysInMonth(2023, 14), 29);  // February 2024
  EXPECT_EQ(DaysInMonth(2024, 0), 31);   // December 2023
  LocalDateTime broken{2026, 5, 10, 25, 61, 99, 5000};
  EXPECT_EQ(MsOfDay(broken), kMsPerDay - 1);
  EXPECT_EQ(MsOfDay({2026, 5, 10, 0, 0, 0, 0}), 0);
  EXPECT_EQ(MsOfDay({2026, 5, 10, 13, 2, 3, 4}), ((13 * 60 + 2) * 60 + 3) * 1000 + 4);
}

TEST(BillingPeriod, DayOneIsTheCalendarMonth) {
  EXPECT_EQ(Text(PeriodContaining(D(2026, 2, 14), 1)), "2026-02-01..2026-02-28");
  EXPECT_EQ(Text(PeriodContaining(D(2024, 2, 29), 1)), "2024-02-01..2024-02-29");
  EXPECT_EQ(Text(PeriodContaining(D(2026, 12, 31), 1)), "2026-12-01..2026-12-31");
  EXPECT_EQ(Text(PeriodContaining(D(2027, 1, 1), 1)), "2027-01-01..2027-01-31");
}

TEST(BillingPeriod, AMidMonthDayRunsToTheDayBeforeItNextMonth) {
  EXPECT_EQ(Text(PeriodContaining(D(2026, 3, 15), 15)), "2026-03-15..2026-04-14");
  EXPECT_EQ(Text(PeriodContaining(D(2026, 3, 14), 15)), "2026-02-15..2026-03-14");
  EXPECT_EQ(Text(PeriodContaining(D(2026, 1, 3), 15)), "2025-12-15..2026-01-14");
  EXPECT_EQ(Text(PeriodContaining(D(2026, 12, 20), 15)), "2026-12-15..2027-01-14");
}

TEST(BillingPeriod, Days29To31InFebruaryEndThePeriodOnFebruarysLastDay) {
  struct Case {
    int billingDay;
    Day day;
    const char* period;
  } cases[] = {
      // A leap year has the 29th.
      {29, D(2024, 2, 10), "2024-01-29..2024-02-28"},
      {29, D(2024, 2, 29), "2024-02-29..2024-03-28"},
      {30, D(2024, 2, 29), "2024-01-30..2024-02-29"},
      {30, D(2024, 3, 1), "2024-03-01..2024-03-29"},
      {31, D(2024, 2, 29), "2024-01-31..2024-02-29"},
      // Other years end February's period on the 28th.
      {29, D(2026, 2, 28), "2026-01-29..2026-02-28"},
      {29, D(2026, 3, 1), "2026-03-01..2026-03-28"},
      {29, D(2026, 3, 29), "2026-03-29..2026-04-28"},
      {30, D(2026, 2, 28), "2026-01-30..2026-02-28"},
      {31, D(2026, 2, 1), "2026-01-31..2026-02-28"},
      {31, D(2026, 3, 1), "2026-03-01..2026-03-30"},
      {31, D(2026, 3, 31), "2026-03-31..2026-04-30"},
      // A 30-day month has no 31st either.
      {31, D(2026, 5, 1), "2026-05-01..2026-05-30"},
      {31, D(2026, 5, 31), "2026-05-31..2026-06-30"},
      {31, D(2026, 7, 30), "2026-07-01..2026-07-30"},
      {31, D(2026, 12, 31), "2026-12-31..2027-01-30"},
      {30, D(2026, 12, 30), "2026-12-30..2027-01-29"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Text(PeriodContaining(c.day, c.billingDay)), c.period)
        << "billing day " << c.billingDay << ", " << IsoDate(c.day);
  }
}

TEST(BillingPeriod, EveryDayBelongsToExactlyOnePeriodForEveryBillingDay) {
  for (int billingDay = 1; billingDay <= 31; ++billingDay) {
    Period previous = PeriodContaining(D(2023, 12, 31), billingDay);
    for (Day day = D(2024, 1, 1); day <= D(2026, 12, 31); ++day) {
      const Period p = PeriodContaining(day, billingDay);
      ASSERT_TRUE(p.Contains(day)) << billingDay << " " << IsoDate(day);
      ASSERT_GE(p.Days(), 28) << billingDay << " " << Text(p);
      ASSERT_LE(p.Days(), 31) << billingDay << " " << Text(p);
      if (!(p == previous)) {
        ASSERT_EQ(p.first, previous.last + 1) << billingDay << " " << Text(p);
        // A period starts on the billing day, or on the 1st after a month
        // that had none.
        const Date start = DateOf(p.first);
        ASSERT_TRUE(start.day == billingDay || (start.day == 1 && billingDay > 28))
            << billingDay << " " << Text(p);
        previous = p;
      }
    }
  }
}

TEST(BillingPeriod, TheTwelvePreviousPeriodsAreContiguousAndSpanAYear) {
  for (int billingDay : {1, 10, 29, 31}) {
    const Day today = D(2026, 3, 20);
    const auto periods = PreviousPeriods(today, billingDay, 12);
    ASSERT_EQ(periods.size(), 12u);
    const Period current = PeriodContaining(today, billingDay);
    EXPECT_EQ(periods.front().last, current.first - 1);
    for (std::size_t i = 1; i < periods.size(); ++i) {
      EXPECT_EQ(periods[i].last + 1, periods[i - 1].first) << billingDay;
    }
    EXPECT_EQ(current.first - periods.back().first, 365) << billingDay;
    // All of them and the current one fit in the days the ledger keeps.
    EXPECT_LE(today - periods.back().first + 1, 400);
  }
  EXPECT_TRUE(PreviousPeriods(D(2026, 3, 20), 1, 0).empty());
}

TEST(BillingPeriod, ABillingDayOutOfRangeIsTheFirst) {
  for (int bad : {0, -3, 32, 1000}) {
    EXPECT_EQ(ValidBillingDay(bad), 1);
    EXPECT_EQ(Text(PeriodContaining(D(2026, 6, 9), bad)), "2026-06-01..2026-06-30");
  }
  EXPECT_EQ(ValidBillingDay(31), 31);
}

}  // namespace
}  // namespace dw::usage
