#include "platform/fake/fake_clock.h"

namespace dw {

LocalDateTime FakeClock::Now() const {
  std::lock_guard lock(mutex_);
  return now_;
}

std::chrono::milliseconds FakeClock::Monotonic() const {
  return std::chrono::milliseconds(monotonic_.load());
}

void FakeClock::Sleep(std::chrono::milliseconds duration) {
  slept_ += duration.count();
  Advance(duration);
}

void FakeClock::Advance(std::chrono::milliseconds duration) { monotonic_ += duration.count(); }

void FakeClock::SetNow(const LocalDateTime& now) {
  std::lock_guard lock(mutex_);
  now_ = now;
}

}  // namespace dw
