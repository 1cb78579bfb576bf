// The usage panel's figures as texts and chart values, without windows:
// this period's received, sent and total, the allowance left, the forecast,
// one bar a day, the twelve periods before, and the budget fields' rules.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "usage/budget_settings.h"
#include "usage/recorder.h"

namespace dw::ui {

struct UsageFigures {
  std::string heading;   // the period's dates
  std::string received;  // "12,3 Мбайт"
  std::string sent;
  std::string total;
  std::string left;      // the allowance left, or that there is none
  std::string forecast;  // the day it runs out, or why none
  usage::Day firstDay = 0;
  std::vector<std::uint32_t> dayKib;  // every day of the period, KiB
  std::string history;                // the earlier periods, one a line
  // The budget fields as stored.
  std::string billingDay;
  std::string allowanceMb;
  bool disconnect = false;
};

// Megabytes with one decimal, rounded down: "12,3".
std::string MegabytesText(std::uint64_t bytes);
// "DD.MM.YYYY".
std::string DottedDate(usage::Day day);

UsageFigures MakeUsageFigures(const usage::UsageRecorder& recorder, const LocalDateTime& now);

// The tip over the chart's bar `index`: "05.12.2026: 12,3 Мбайт".
std::string UsageDayTip(const UsageFigures& figures, std::size_t index);

// The fields as typed: nullopt when one is not a value in range (the
// allowance may be empty: none).
std::optional<usage::BudgetSettings> BudgetFromFields(std::string_view billingDay,
                                                      std::string_view allowanceMb,
                                                      bool disconnect);

}  // namespace dw::ui
