// The simulator's time: wall-clock milliseconds, comparable between the
// processes that share a state folder. Tests move a fake one by hand.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include "platform/threads.h"

namespace dw::sim {

class SimClock {
 public:
  virtual ~SimClock() = default;
  virtual std::int64_t NowMs() const = 0;
  // Returns when NowMs() >= `ms` or when `cancel` becomes true (noticed
  // within a few milliseconds).
  virtual void WaitUntil(std::int64_t ms, const std::atomic<bool>& cancel) = 0;
};

// Milliseconds since 1970 from the system clock.
std::unique_ptr<SimClock> MakeSystemSimClock();

class FakeSimClock final : public SimClock {
 public:
  explicit FakeSimClock(std::int64_t startMs = 1'000'000) : now_(startMs) {}
  std::int64_t NowMs() const override { return now_.load(); }
  void WaitUntil(std::int64_t ms, const std::atomic<bool>& cancel) override;
  void Advance(std::int64_t ms);

 private:
  std::atomic<std::int64_t> now_;
  dw::Mutex mutex_;
  dw::ConditionVariable moved_;
};

}  // namespace dw::sim
