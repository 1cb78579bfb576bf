// A clock that moves only when told (or when someone sleeps on it).
#pragma once

#include <atomic>
#include <mutex>

#include "platform/clock.h"
#include "platform/threads.h"

namespace dw {

class FakeClock final : public Clock {
 public:
  LocalDateTime Now() const override;
  std::chrono::milliseconds Monotonic() const override;
  // Returns at once, having moved the clock on by `duration`.
  void Sleep(std::chrono::milliseconds duration) override;

  void Advance(std::chrono::milliseconds duration);
  void SetNow(const LocalDateTime& now);
  std::chrono::milliseconds TotalSlept() const { return std::chrono::milliseconds(slept_.load()); }

 private:
  mutable dw::Mutex mutex_;
  LocalDateTime now_{2026, 12, 7, 12, 0, 0, 0};
  std::atomic<long long> monotonic_{1000};
  std::atomic<long long> slept_{0};
};

}  // namespace dw
