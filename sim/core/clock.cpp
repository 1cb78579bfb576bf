#include "clock.h"

#include <algorithm>
#include <chrono>
#include "platform/threads.h"

namespace dw::sim {

namespace {

class SystemSimClock final : public SimClock {
 public:
  std::int64_t NowMs() const override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
  }
  void WaitUntil(std::int64_t ms, const std::atomic<bool>& cancel) override {
    while (!cancel.load()) {
      const std::int64_t left = ms - NowMs();
      if (left <= 0) return;
      dw::SleepFor(std::chrono::milliseconds(std::min<std::int64_t>(left, 10)));
    }
  }
};

}  // namespace

std::unique_ptr<SimClock> MakeSystemSimClock() {
  return std::make_unique<SystemSimClock>();
}

void FakeSimClock::WaitUntil(std::int64_t ms, const std::atomic<bool>& cancel) {
  std::unique_lock lock(mutex_);
  while (!cancel.load() && now_.load() < ms) {
    moved_.wait_for(lock, std::chrono::milliseconds(5));
  }
}

void FakeSimClock::Advance(std::int64_t ms) {
  {
    std::lock_guard lock(mutex_);
    now_ += ms;
  }
  moved_.notify_all();
}

}  // namespace dw::sim
