#include "usage/recorder.h"

#include <algorithm>
#include <utility>

namespace dw::usage {
namespace {

// One interval between readings is split over at most this much time: the
// byte shares below stay exact in 64 bits (about 24 days).
constexpr std::int64_t kLongestInterval = 0x7FFFFFFF;

// bytes * part / whole without overflow, for part <= whole <= kLongestInterval.
std::uint64_t Share(std::uint64_t bytes, std::int64_t part, std::int64_t whole) {
  const auto p = static_cast<std::uint64_t>(part);
  const auto w = static_cast<std::uint64_t>(whole);
  return bytes / w * p + bytes % w * p / w;
}

std::int64_t Elapsed(std::chrono::milliseconds from, std::chrono::milliseconds to) {
  return std::clamp<std::int64_t>((to - from).count(), 0, kLongestInterval);
}

}  // namespace

std::uint64_t CounterAdvance(std::uint32_t last, std::uint32_t now, std::int64_t elapsedMs) {
  if (now >= last) return now - last;
  const std::uint64_t wrapped = (std::uint64_t{1} << 32) - last + now;
  // A reading two seconds late is still a wrap.
  const std::int64_t ms = std::clamp<std::int64_t>(elapsedMs, 0, kLongestInterval) + 2000;
  const std::uint64_t mostPossible = kMaxBytesPerSecond * static_cast<std::uint64_t>(ms) / 1000;
  return wrapped <= mostPossible ? wrapped : now;
}

UsageRecorder::UsageRecorder(Setup setup, const LocalDateTime& now)
    : setup_(std::move(setup)), store_(setup_.files, setup_.path) {
  setup_.budget.billingDay = ValidBillingDay(setup_.budget.billingDay);
  ledger_ = store_.Open(now);
  ledger_.Trim(DayOf(now));
}

void UsageRecorder::SetBudget(const BudgetSettings& budget) {
  setup_.budget = budget;
  setup_.budget.billingDay = ValidBillingDay(budget.billingDay);
}

void UsageRecorder::ConnectionStarted(Counters baseline, const LocalDateTime& now,
                                      std::chrono::milliseconds monotonic) {
  if (connected_) ConnectionEnded(now, monotonic);
  connected_ = true;
  last_ = baseline;
  lastMonotonic_ = monotonic;
  disconnectAsked_ = false;
}

BudgetNews UsageRecorder::Sample(Counters counters, const LocalDateTime& now,
                                 std::chrono::milliseconds monotonic) {
  if (!connected_) return {};
  const std::int64_t elapsed = Elapsed(lastMonotonic_, monotonic);
  Attribute(DayOf(now), MsOfDay(now), elapsed,
            CounterAdvance(last_.received, counters.received, elapsed),
            CounterAdvance(last_.sent, counters.sent, elapsed));
  last_ = counters;
  lastMonotonic_ = std::max(lastMonotonic_, monotonic);
  dirty_ = true;

  BudgetNews news;
  if (setup_.budget.AllowanceBytes() == 0) return news;
  const Period period = CurrentPeriod(now);
  RefreshMarks(period);
  const std::uint64_t used = Used(period);
  news = CheckWarnings(setup_.budget, used, ledger_.marks);
  if (news.warn80 || news.warn100) urgent_ = true;
  if (!disconnectAsked_ && GuardHolds(setup_.budget, used, ledger_.marks)) {
    news.disconnect = true;
    disconnectAsked_ = true;
  }
  return news;
}

void UsageRecorder::ConnectionEnded(const LocalDateTime& now, std::chrono::milliseconds monotonic) {
  if (!connected_) return;
  Attribute(DayOf(now), MsOfDay(now), Elapsed(lastMonotonic_, monotonic), 0, 0);
  connected_ = false;
  dirty_ = true;
  FlushNow(now, monotonic);
}

void UsageRecorder::Attribute(Day endDay, std::int64_t endMsOfDay, std::int64_t elapsedMs,
                              std::uint64_t received, std::uint64_t sent) {
  // The interval ends now by the wall clock and lasted `elapsedMs` by the
  // monotonic one: a clock set back or forward moves where it lands, never
  // how long it was. Its bytes go with its time, day by day.
  Day day = endDay;
  std::int64_t dayEnd = endMsOfDay;
  std::int64_t remaining = elapsedMs;
  std::uint64_t receivedLeft = received;
  std::uint64_t sentLeft = sent;
  for (;;) {
    const std::int64_t part = std::min(remaining, dayEnd);
    if (part >= remaining) {
      // The earliest day takes what the shares left, so nothing is lost.
      if (remaining > 0 || receivedLeft != 0 || sentLeft != 0) {
        ledger_.Add(day, {receivedLeft, sentLeft, static_cast<std::uint64_t>(remaining)});
      }
      return;
    }
    if (part > 0) {
      const std::uint64_t r = Share(received, part, elapsedMs);
      const std::uint64_t s = Share(sent, part, elapsedMs);
      ledger_.Add(day, {r, s, static_cast<std::uint64_t>(part)});
      receivedLeft -= r;
      sentLeft -= s;
      remaining -= part;
    }
    --day;
    dayEnd = kMsPerDay;
  }
}

bool UsageRecorder::FlushIfDue(const LocalDateTime& now, std::chrono::milliseconds monotonic) {
  if (!dirty_) return false;
  if (!urgent_ && lastWrite_ && monotonic - *lastWrite_ < setup_.flushInterval) return false;
  return Write(now, monotonic);
}

bool UsageRecorder::FlushNow(const LocalDateTime& now, std::chrono::milliseconds monotonic) {
  return !dirty_ || Write(now, monotonic);
}

bool UsageRecorder::Write(const LocalDateTime& now, std::chrono::milliseconds monotonic) {
  ledger_.Trim(DayOf(now));
  // A failed write is tried again a whole interval later, not every sample,
  // even when it held a warning.
  lastWrite_ = monotonic;
  urgent_ = false;
  if (!store_.Write(ledger_, now)) return false;
  dirty_ = false;
  return true;
}

bool UsageRecorder::AskBeforeConnect(const LocalDateTime& now) {
  const Period period = CurrentPeriod(now);
  RefreshMarks(period);
  return GuardHolds(setup_.budget, Used(period), ledger_.marks);
}

void UsageRecorder::ConnectAnyway(const LocalDateTime& now, std::chrono::milliseconds monotonic) {
  RefreshMarks(CurrentPeriod(now));
  if (!ledger_.marks.connectAnyway) {
    ledger_.marks.connectAnyway = true;
    dirty_ = true;
  }
  FlushNow(now, monotonic);
}

void UsageRecorder::RefreshMarks(const Period& period) {
  if (MarksFor(ledger_.marks, period, setup_.budget.allowanceMb)) dirty_ = true;
}

Period UsageRecorder::CurrentPeriod(const LocalDateTime& now) const {
  return PeriodContaining(DayOf(now), setup_.budget.billingDay);
}

Totals UsageRecorder::PeriodTotals(const Period& period) const {
  return ledger_.Sum(period);
}

std::vector<DayUsage> UsageRecorder::PeriodDays(const Period& period) const {
  return ledger_.DaysOf(period);
}

std::vector<PeriodUsage> UsageRecorder::PreviousPeriods(const LocalDateTime& now, int count) const {
  std::vector<PeriodUsage> list;
  for (const Period& period : usage::PreviousPeriods(DayOf(now), setup_.budget.billingDay, count)) {
    list.push_back({period, ledger_.Sum(period)});
  }
  return list;
}

std::uint64_t UsageRecorder::AllowanceLeft(const LocalDateTime& now) const {
  const std::uint64_t allowance = setup_.budget.AllowanceBytes();
  const std::uint64_t used = Used(CurrentPeriod(now));
  return used >= allowance ? 0 : allowance - used;
}

Forecast UsageRecorder::RunOutForecast(const LocalDateTime& now) const {
  const Period period = CurrentPeriod(now);
  return ForecastRunOut(period, DayOf(now), Used(period), setup_.budget.AllowanceBytes());
}

}  // namespace dw::usage
