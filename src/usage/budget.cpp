#include "usage/budget.h"

#include <algorithm>

namespace dw::usage {
namespace {

// A forecast further out than this says only that it is not soon.
constexpr std::uint64_t kFurthestForecastDays = 36'525;

}  // namespace

bool MarksFor(BudgetMarks& marks, const Period& period, std::uint32_t allowanceMb) {
  if (marks.period == period.first && marks.allowanceMb == allowanceMb) return false;
  marks = BudgetMarks{period.first, allowanceMb};
  return true;
}

BudgetNews CheckWarnings(const BudgetSettings& settings, std::uint64_t used, BudgetMarks& marks) {
  BudgetNews news;
  const std::uint64_t allowance = settings.AllowanceBytes();
  if (allowance == 0) return news;
  // 80 % exactly: used >= 4/5 of the allowance, rounded up.
  const std::uint64_t eighty = (allowance * 4 + 4) / 5;
  if (!marks.warned80 && used >= eighty) {
    marks.warned80 = true;
    news.warn80 = true;
  }
  if (!marks.warned100 && used >= allowance) {
    marks.warned100 = true;
    news.warn100 = true;
  }
  return news;
}

bool GuardHolds(const BudgetSettings& settings, std::uint64_t used, const BudgetMarks& marks) {
  const std::uint64_t allowance = settings.AllowanceBytes();
  return settings.disconnectWhenUsedUp && allowance != 0 && used >= allowance &&
         !marks.connectAnyway;
}

Forecast ForecastRunOut(const Period& period, Day today, std::uint64_t used,
                        std::uint64_t allowanceBytes) {
  Forecast forecast;
  if (allowanceBytes == 0) return forecast;
  if (used >= allowanceBytes) {
    forecast.kind = Forecast::Kind::kUsedUp;
    return forecast;
  }
  if (used == 0) {
    forecast.kind = Forecast::Kind::kNoUseYet;
    return forecast;
  }
  // Days of the period so far, today whole; a clock outside the period
  // still gives a rate.
  const std::int64_t elapsed = std::clamp<std::int64_t>(std::int64_t{today} - period.first + 1, 1,
                                                        std::max(1, period.Days()));
  // The day on which elapsed-days' average times the day count reaches the
  // allowance: ceil(allowance * elapsed / used), counted from the first day.
  // `used` is below the allowance, so this is past today.
  const std::uint64_t product = allowanceBytes * static_cast<std::uint64_t>(elapsed);
  const std::uint64_t dayNumber =
      std::min(product / used + (product % used != 0 ? 1 : 0), kFurthestForecastDays);
  forecast.kind = Forecast::Kind::kRunsOut;
  forecast.day = period.first + static_cast<Day>(dayNumber) - 1;
  forecast.withinPeriod = forecast.day <= period.last;
  return forecast;
}

}  // namespace dw::usage
