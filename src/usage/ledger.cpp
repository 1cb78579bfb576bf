#include "usage/ledger.h"

#include <algorithm>
#include <limits>

namespace dw::usage {
namespace {

bool Before(const DayUsage& entry, Day day) {
  return entry.day < day;
}

}  // namespace

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) {
  return a > std::numeric_limits<std::uint64_t>::max() - b
             ? std::numeric_limits<std::uint64_t>::max()
             : a + b;
}

void Ledger::Add(Day day, const Totals& usage) {
  auto it = std::lower_bound(days_.begin(), days_.end(), day, Before);
  if (it == days_.end() || it->day != day) it = days_.insert(it, DayUsage{day, {}});
  it->usage.received = SaturatingAdd(it->usage.received, usage.received);
  it->usage.sent = SaturatingAdd(it->usage.sent, usage.sent);
  it->usage.connectedMs = SaturatingAdd(it->usage.connectedMs, usage.connectedMs);
}

void Ledger::Merge(const Ledger& other) {
  for (const DayUsage& entry : other.days_) Add(entry.day, entry.usage);
}

Totals Ledger::Sum(const Period& period) const {
  Totals sum;
  for (auto it = std::lower_bound(days_.begin(), days_.end(), period.first, Before);
       it != days_.end() && it->day <= period.last; ++it) {
    sum.received = SaturatingAdd(sum.received, it->usage.received);
    sum.sent = SaturatingAdd(sum.sent, it->usage.sent);
    sum.connectedMs = SaturatingAdd(sum.connectedMs, it->usage.connectedMs);
  }
  return sum;
}

std::vector<DayUsage> Ledger::DaysOf(const Period& period) const {
  std::vector<DayUsage> list;
  if (period.last < period.first) return list;
  list.reserve(static_cast<std::size_t>(period.Days()));
  auto it = std::lower_bound(days_.begin(), days_.end(), period.first, Before);
  for (Day day = period.first; day <= period.last; ++day) {
    if (it != days_.end() && it->day == day) {
      list.push_back(*it++);
    } else {
      list.push_back({day, {}});
    }
  }
  return list;
}

bool Ledger::Trim(Day today) {
  const std::size_t before = days_.size();
  const Day oldestKept = today - (kKeptDays - 1);
  const auto old = std::lower_bound(days_.begin(), days_.end(), oldestKept, Before) - days_.begin();
  const auto spare = static_cast<std::ptrdiff_t>(days_.size()) - kKeptDays;
  days_.erase(days_.begin(), days_.begin() + std::clamp<std::ptrdiff_t>(
                                                 old, 0, std::max<std::ptrdiff_t>(spare, 0)));
  if (days_.size() > kMaxDays) {
    days_.erase(days_.begin(),
                days_.begin() + static_cast<std::ptrdiff_t>(days_.size() - kMaxDays));
  }
  return days_.size() != before;
}

bool Ledger::Assign(std::vector<DayUsage> days) {
  for (std::size_t i = 1; i < days.size(); ++i) {
    if (days[i - 1].day >= days[i].day) return false;
  }
  days_ = std::move(days);
  return true;
}

}  // namespace dw::usage
