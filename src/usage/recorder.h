// The usage ledger as the main window uses it: fed with the statistics
// samples of every connection the program dials or adopts, written to its
// file at most once a minute while connected and at once when asked (a
// disconnect, the close, the end of the session), and asked for the
// figures the usage panel, the tray tip and the budget guard show.
//
// All calls come from one thread (the user-interface thread); nothing here
// blocks longer than one write of the file (32 KiB at most).
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/data_files.h"
#include "usage/billing.h"
#include "usage/budget.h"
#include "usage/ledger.h"
#include "usage/ledger_store.h"

namespace dw::usage {

inline constexpr std::chrono::milliseconds kFlushInterval{60'000};

// Byte counters exactly as GetStatistics reads them: the connection's own
// from Windows 2000 on, the system-wide dial-up counters on 98/ME. Not the
// 0x403 message's differences from the baseline: add the baseline back
// (32-bit arithmetic) before feeding those.
struct Counters {
  std::uint32_t received = 0;
  std::uint32_t sent = 0;
};

// A 32-bit counter going backwards is a wrap at 2^32 when the bytes that
// would take fit the time since the last reading at this rate at most;
// otherwise the counter started again from zero (a new connection, a
// restarted service). Far beyond any dial-up, GPRS or 3G line.
inline constexpr std::uint64_t kMaxBytesPerSecond = 1u << 27;  // 128 MiB/s

class UsageRecorder {
 public:
  struct Setup {
    std::shared_ptr<DataFiles> files;
    std::string path;  // the ledger file: LedgerFolder(...) + kLedgerFileName
    BudgetSettings budget;
    std::chrono::milliseconds flushInterval = kFlushInterval;
  };

  // Reads the file (a damaged one is set aside) and trims what is older
  // than kKeptDays before `now`.
  UsageRecorder(Setup setup, const LocalDateTime& now);

  // New settings ("Сохранить"); the warnings start over for a new allowance.
  void SetBudget(const BudgetSettings& budget);
  const BudgetSettings& Budget() const { return setup_.budget; }

  // --- Feeding -----------------------------------------------------------

  // The connection is up: a dialled one (0x406) with the baseline the dial
  // thread sent (0x407), or one adopted at start with the counters read
  // then. Time counts from here. A connection still running is ended first.
  void ConnectionStarted(Counters baseline, const LocalDateTime& now,
                         std::chrono::milliseconds monotonic);
  // One reading of the counters while connected (ignored when not). The
  // bytes since the last reading and the time since it (by `monotonic`)
  // are put on the local days that time covered up to `now`, split at
  // midnight. A counter that went backwards never subtracts.
  BudgetNews Sample(Counters counters, const LocalDateTime& now,
                    std::chrono::milliseconds monotonic);
  // The connection is gone (hung up or lost): the time since the last
  // reading counts, then the file is written. Nothing when not connected.
  void ConnectionEnded(const LocalDateTime& now, std::chrono::milliseconds monotonic);
  bool Connected() const { return connected_; }

  // Writes the file when something changed and the last write is at least
  // the flush interval old; at once after a budget warning. True when it
  // wrote.
  bool FlushIfDue(const LocalDateTime& now, std::chrono::milliseconds monotonic);
  // Writes the file now when anything changed since the last write. False
  // when a write was due and failed (the ledger is kept and written later).
  bool FlushNow(const LocalDateTime& now, std::chrono::milliseconds monotonic);

  // --- The budget at a connect ---------------------------------------------

  // Ask "connect anyway?" before dialling: the allowance of this period is
  // used up, the disconnect option is on, and the user has not chosen to go
  // on this period.
  bool AskBeforeConnect(const LocalDateTime& now);
  // The user chose to connect anyway: no question and no disconnect for the
  // rest of the period (or until the allowance changes). Written at once.
  void ConnectAnyway(const LocalDateTime& now, std::chrono::milliseconds monotonic);

  // --- Figures ---------------------------------------------------------------

  Period CurrentPeriod(const LocalDateTime& now) const;
  Totals PeriodTotals(const Period& period) const;
  // Every day of the period, days without use as zeros.
  std::vector<DayUsage> PeriodDays(const Period& period) const;
  // The twelve (or `count`) periods before the current one, the most recent
  // first.
  std::vector<PeriodUsage> PreviousPeriods(const LocalDateTime& now, int count = 12) const;
  // The current period's allowance left: 0 when used up or there is none.
  std::uint64_t AllowanceLeft(const LocalDateTime& now) const;
  Forecast RunOutForecast(const LocalDateTime& now) const;

  const Ledger& ledger() const { return ledger_; }
  const LedgerStore& store() const { return store_; }

 private:
  void Attribute(Day endDay, std::int64_t endMsOfDay, std::int64_t elapsedMs,
                 std::uint64_t received, std::uint64_t sent);
  bool Write(const LocalDateTime& now, std::chrono::milliseconds monotonic);
  std::uint64_t Used(const Period& period) const { return ledger_.Sum(period).Bytes(); }
  // Brings the marks to the current period and allowance.
  void RefreshMarks(const Period& period);

  Setup setup_;
  LedgerStore store_;
  Ledger ledger_;

  bool connected_ = false;
  Counters last_;
  std::chrono::milliseconds lastMonotonic_{0};
  bool disconnectAsked_ = false;  // this connection's disconnect was decided

  bool dirty_ = false;
  bool urgent_ = false;  // a warning or choice to keep across a restart
  std::optional<std::chrono::milliseconds> lastWrite_;  // the last attempt
};

// The bytes a 32-bit counter moved from `last` to `now` in `elapsedMs`.
std::uint64_t CounterAdvance(std::uint32_t last, std::uint32_t now, std::int64_t elapsedMs);

}  // namespace dw::usage
