// The budget guard: an allowance per billing period, its warnings at 80 %
// and 100 %, the forecast of the day it runs out, and the optional
// disconnect when it is used up.
#pragma once

#include <cstdint>

#include "usage/billing.h"
#include "usage/budget_settings.h"
#include "usage/ledger.h"

namespace dw::usage {

// What a sample or a check found; each warning comes once per period.
struct BudgetNews {
  bool warn80 = false;
  bool warn100 = false;
  // The allowance is used up, the option is on and the user did not choose
  // to go on: hang up. Once per connection.
  bool disconnect = false;

  bool operator==(const BudgetNews&) const = default;
};

// The marks for `period` and the current allowance: those of another period
// or allowance start over. True when `marks` changed.
bool MarksFor(BudgetMarks& marks, const Period& period, std::uint32_t allowanceMb);

// Warnings due for `used` bytes in `period`, noted in `marks` (which must be
// MarksFor the period already). Crossing both shares at once gives both.
BudgetNews CheckWarnings(const BudgetSettings& settings, std::uint64_t used, BudgetMarks& marks);

// Whether the allowance is used up with the option on and not overridden:
// a connect asks first, a connection is hung up.
bool GuardHolds(const BudgetSettings& settings, std::uint64_t used, const BudgetMarks& marks);

struct Forecast {
  enum class Kind {
    kNoAllowance,  // nothing to run out
    kNoUseYet,     // nothing used this period: no rate to project
    kUsedUp,       // already used up
    kRunsOut,      // `day` is when the period's average use reaches the allowance
  };
  Kind kind = Kind::kNoAllowance;
  Day day = 0;
  bool withinPeriod = false;  // kRunsOut: `day` comes before the period ends

  bool operator==(const Forecast&) const = default;
};

// At the period's average daily use so far (its days up to today, today
// counted whole), the day the total reaches the allowance.
Forecast ForecastRunOut(const Period& period, Day today, std::uint64_t used,
                        std::uint64_t allowanceBytes);

}  // namespace dw::usage
