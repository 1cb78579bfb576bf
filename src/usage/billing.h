// The operator's billing period: from the billing day of one month to the
// day before the billing day of the next. A month too short to have the
// billing day (the 29th to 31st in February, the 31st in a 30-day month)
// ends the period on its own last day, and the next period begins on the
// 1st of the month after.
#pragma once

#include <vector>

#include "usage/budget_settings.h"
#include "usage/calendar.h"

namespace dw::usage {

struct Period {
  Day first = 0;  // both days belong to the period
  Day last = 0;

  int Days() const { return last - first + 1; }
  bool Contains(Day day) const { return day >= first && day <= last; }
  bool operator==(const Period&) const = default;
};

// The first day of the period that begins in the given month: the billing
// day, or the 1st of the next month when this month has no such day.
Day PeriodStartIn(int year, int month, int billingDay);

Period PeriodContaining(Day day, int billingDay);

// The `count` periods before the one holding `day`, the most recent first.
std::vector<Period> PreviousPeriods(Day day, int billingDay, int count);

}  // namespace dw::usage
