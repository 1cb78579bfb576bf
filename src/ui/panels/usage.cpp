#include "ui/panels/usage.h"

#include <algorithm>

#include "text/texts.h"
#include "usage/calendar.h"

namespace dw::ui {
namespace {

std::string MegabytesWithUnit(std::uint64_t bytes) {
  return MegabytesText(bytes) + " " + Text(TextId::UnitMegabytes);
}

std::string ForecastText(const usage::Forecast& forecast) {
  using Kind = usage::Forecast::Kind;
  switch (forecast.kind) {
    case Kind::kNoAllowance: return std::string();
    case Kind::kNoUseYet: return Text(TextId::UsageNoUseYet);
    case Kind::kUsedUp: return Text(TextId::UsageUsedUp);
    case Kind::kRunsOut:
      return forecast.withinPeriod ? Text(TextId::UsageRunsOut) + DottedDate(forecast.day)
                                   : Text(TextId::UsageLasts);
  }
  return std::string();
}

}  // namespace

std::string MegabytesText(std::uint64_t bytes) {
  // No overflow for any count below 1.7e18 bytes.
  const std::uint64_t tenths = bytes / usage::kBytesPerMegabyte * 10 +
                               bytes % usage::kBytesPerMegabyte * 10 / usage::kBytesPerMegabyte;
  return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10);
}

std::string DottedDate(usage::Day day) {
  const usage::Date d = usage::DateOf(day);
  return usage::ZeroPadded(d.day, 2) + "." + usage::ZeroPadded(d.month, 2) + "." +
         usage::ZeroPadded(d.year, 4);
}

UsageFigures MakeUsageFigures(const usage::UsageRecorder& recorder, const LocalDateTime& now) {
  UsageFigures f;
  const usage::Period period = recorder.CurrentPeriod(now);
  const usage::Totals totals = recorder.PeriodTotals(period);
  f.heading = Text(TextId::UsageHeading) + DottedDate(period.first) + " - " + DottedDate(period.last);
  f.received = MegabytesWithUnit(totals.received);
  f.sent = MegabytesWithUnit(totals.sent);
  f.total = MegabytesWithUnit(totals.Bytes());
  const usage::BudgetSettings& budget = recorder.Budget();
  f.left = budget.allowanceMb == 0 ? Text(TextId::UsageNoAllowance)
                                   : MegabytesWithUnit(recorder.AllowanceLeft(now));
  f.forecast = ForecastText(recorder.RunOutForecast(now));
  f.firstDay = period.first;
  for (const usage::DayUsage& day : recorder.PeriodDays(period)) {
    f.dayKib.push_back(static_cast<std::uint32_t>(
        std::min<std::uint64_t>(day.usage.Bytes() / 1024, 0xFFFFFFFFu)));
  }
  for (const usage::PeriodUsage& earlier : recorder.PreviousPeriods(now)) {
    f.history += Text(TextId::UsageHistoryFrom) + DottedDate(earlier.period.first) + ": " +
                 MegabytesWithUnit(earlier.usage.Bytes()) + "\r\n";
  }
  f.billingDay = std::to_string(budget.billingDay);
  f.allowanceMb = std::to_string(budget.allowanceMb);
  f.disconnect = budget.disconnectWhenUsedUp;
  return f;
}

std::string UsageDayTip(const UsageFigures& figures, std::size_t index) {
  if (index >= figures.dayKib.size()) return std::string();
  const usage::Day day = figures.firstDay + static_cast<usage::Day>(index);
  return DottedDate(day) + ": " + MegabytesWithUnit(std::uint64_t{figures.dayKib[index]} * 1024);
}

std::optional<usage::BudgetSettings> BudgetFromFields(std::string_view billingDay,
                                                      std::string_view allowanceMb,
                                                      bool disconnect) {
  const auto trimmed = [](std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
  };
  billingDay = trimmed(billingDay);
  allowanceMb = trimmed(allowanceMb);
  const auto day = usage::BillingDayFromText(billingDay);
  const auto allowance =
      allowanceMb.empty() ? std::optional<std::uint32_t>(0) : usage::AllowanceFromText(allowanceMb);
  if (!day || !allowance) return std::nullopt;
  usage::BudgetSettings budget;
  budget.billingDay = *day;
  budget.allowanceMb = *allowance;
  budget.disconnectWhenUsedUp = disconnect;
  return budget;
}

}  // namespace dw::ui
