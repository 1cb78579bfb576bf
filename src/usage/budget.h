// The budget guard: an allowance per billing period, its warnings at 80 %
// and 100 %, the forecast of the day it runs out, and the optional
// disconnect when it is used up.
//
// A megabyte is 2^20 = 1,048,576 bytes everywhere in Dialwave, as the
// traffic display's K (1024 bytes) and M.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "usage/billing.h"
#include "usage/ledger.h"

namespace dw::usage {

inline constexpr std::uint64_t kBytesPerMegabyte = 1u << 20;
// About ten terabytes: far beyond any tariff, and the arithmetic stays exact.
inline constexpr std::uint32_t kMaxAllowanceMb = 10'000'000;

struct BudgetSettings {
  int billingDay = kDefaultBillingDay;  // 1 to 31
  std::uint32_t allowanceMb = 0;        // 0: no allowance, no guard
  bool disconnectWhenUsedUp = false;

  std::uint64_t AllowanceBytes() const { return allowanceMb * kBytesPerMegabyte; }
  bool operator==(const BudgetSettings&) const = default;
};

// The stored texts (decimal digits only, no sign or blank); nullopt when
// the text is not a value in range, and the caller keeps its default.
std::optional<int> BillingDayFromText(std::string_view text);
std::optional<std::uint32_t> AllowanceFromText(std::string_view text);
// "1" or "0".
std::optional<bool> FlagFromText(std::string_view text);

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
