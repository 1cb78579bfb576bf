#include "usage/billing.h"

namespace dw::usage {

Day PeriodStartIn(int year, int month, int billingDay) {
  billingDay = ValidBillingDay(billingDay);
  NormaliseMonth(year, month);
  if (billingDay <= DaysInMonth(year, month)) return DayOf(year, month, billingDay);
  return DayOf(year, month, DaysInMonth(year, month)) + 1;
}

Period PeriodContaining(Day day, int billingDay) {
  const Date date = DateOf(day);
  const Day thisMonth = PeriodStartIn(date.year, date.month, billingDay);
  if (day >= thisMonth) {
    return {thisMonth, PeriodStartIn(date.year, date.month + 1, billingDay) - 1};
  }
  // The period that began last month (or on the 1st of this one, when last
  // month was too short) runs until this month's start.
  return {PeriodStartIn(date.year, date.month - 1, billingDay), thisMonth - 1};
}

std::vector<Period> PreviousPeriods(Day day, int billingDay, int count) {
  std::vector<Period> periods;
  Period period = PeriodContaining(day, billingDay);
  for (int i = 0; i < count; ++i) {
    period = PeriodContaining(period.first - 1, billingDay);
    periods.push_back(period);
  }
  return periods;
}

}  // namespace dw::usage
