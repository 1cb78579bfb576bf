// A recorder over in-memory files, and a wall clock and a monotonic clock
// that move together unless a test sets the wall clock apart.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/fake/memory_data_files.h"
#include "usage/calendar.h"
#include "usage/recorder.h"

namespace dw::usage::testing {

inline const std::string kLedgerPath =
    "C:\\Users\\me\\Application Data\\Korvana\\Dialwave\\usage.dat";

class Timeline {
 public:
  explicit Timeline(LocalDateTime start) : day_(DayOf(start)), ms_(MsOfDay(start)) {}

  LocalDateTime Now() const {
    const Date d = DateOf(day_);
    const std::int64_t ms = ms_;
    return {d.year,
            d.month,
            d.day,
            static_cast<int>(ms / 3'600'000),
            static_cast<int>(ms / 60'000 % 60),
            static_cast<int>(ms / 1000 % 60),
            static_cast<int>(ms % 1000)};
  }
  std::chrono::milliseconds Mono() const { return mono_; }

  // Both clocks move on.
  void Advance(std::chrono::milliseconds by) {
    mono_ += by;
    MoveWall(by.count());
  }
  // The user sets the wall clock; the monotonic one does not notice.
  void SetWall(const LocalDateTime& wall) {
    day_ = DayOf(wall);
    ms_ = MsOfDay(wall);
  }

 private:
  void MoveWall(std::int64_t by) {
    ms_ += by;
    while (ms_ >= kMsPerDay) {
      ms_ -= kMsPerDay;
      ++day_;
    }
    while (ms_ < 0) {
      ms_ += kMsPerDay;
      --day_;
    }
  }

  Day day_;
  std::int64_t ms_;
  std::chrono::milliseconds mono_{5'000'000};
};

inline std::unique_ptr<UsageRecorder> MakeRecorder(const std::shared_ptr<MemoryDataFiles>& files,
                                                   const Timeline& time,
                                                   BudgetSettings budget = {}) {
  UsageRecorder::Setup setup;
  setup.files = files;
  setup.path = kLedgerPath;
  setup.budget = budget;
  return std::make_unique<UsageRecorder>(std::move(setup), time.Now());
}

inline Totals On(const UsageRecorder& recorder, int y, int m, int d) {
  return recorder.ledger().Sum({DayOf(y, m, d), DayOf(y, m, d)});
}

}  // namespace dw::usage::testing
