// Time, behind a port so that waits of seconds are tested without sleeping.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

namespace dw {

struct LocalDateTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalDateTime Now() const = 0;
  // Milliseconds since an arbitrary start; never goes back.
  virtual std::chrono::milliseconds Monotonic() const = 0;
  virtual void Sleep(std::chrono::milliseconds duration) = 0;
};

// The system's clock (Win32 on Windows, std::chrono elsewhere).
std::unique_ptr<Clock> MakeSystemClock();

}  // namespace dw
