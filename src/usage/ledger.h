// Usage per local calendar day: bytes received, bytes sent, time connected,
// and the budget warnings already given in the current billing period.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "usage/billing.h"
#include "usage/calendar.h"

namespace dw::usage {

// Days kept back from today (today included): the last twelve billing
// periods and the current one always fit. Older days are trimmed, but never
// below this many days with use, so a clock set years ahead cannot empty
// the ledger.
inline constexpr int kKeptDays = 400;
// At most this many days are kept at all; beyond it the oldest go first.
// Room past kKeptDays for days a clock set wrong put in the future.
inline constexpr std::size_t kMaxDays = 580;

struct Totals {
  std::uint64_t received = 0;
  std::uint64_t sent = 0;
  std::uint64_t connectedMs = 0;

  std::uint64_t Bytes() const { return received + sent; }
  bool operator==(const Totals&) const = default;
};

struct DayUsage {
  Day day = 0;
  Totals usage;

  bool operator==(const DayUsage&) const = default;
};

struct PeriodUsage {
  Period period;
  Totals usage;

  bool operator==(const PeriodUsage&) const = default;
};

// What the budget guard has done in one billing period, for one allowance:
// kept with the days so that a restart neither repeats a warning nor
// forgets the user's "connect anyway".
struct BudgetMarks {
  Day period = 0;                 // first day of the period these belong to
  std::uint32_t allowanceMb = 0;  // the allowance they were given for
  bool warned80 = false;
  bool warned100 = false;
  bool connectAnyway = false;  // used up, and the user chose to go on

  bool operator==(const BudgetMarks&) const = default;
};

class Ledger {
 public:
  // Adds to the day, creating it; every count saturates rather than wraps.
  void Add(Day day, const Totals& usage);
  // Each day of `other` added to this one's.
  void Merge(const Ledger& other);

  Totals Sum(const Period& period) const;
  // Every day of the period in order, days without usage as zeros.
  std::vector<DayUsage> DaysOf(const Period& period) const;
  // The days with usage, oldest first.
  const std::vector<DayUsage>& Days() const { return days_; }

  // Drops the oldest days before today - (kKeptDays - 1) while more than
  // kKeptDays days remain, then the oldest beyond kMaxDays. True when a day
  // went.
  bool Trim(Day today);

  // Replaces the days (for the file reader); they must be in ascending order
  // with no day twice, or false and nothing changes.
  bool Assign(std::vector<DayUsage> days);

  BudgetMarks marks;

  bool operator==(const Ledger&) const = default;

 private:
  std::vector<DayUsage> days_;  // ascending, one entry per day
};

// a + b, at most the largest count.
std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b);

}  // namespace dw::usage
