// std::chrono clock for the native build. The Windows build has its own.
#ifndef _WIN32
#include <ctime>

#include "platform/clock.h"
#include "platform/threads.h"

namespace dw {
namespace {

class SystemClock final : public Clock {
 public:
  LocalDateTime Now() const override {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
            static_cast<int>(ms.count())};
  }
  std::chrono::milliseconds Monotonic() const override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
  }
  void Sleep(std::chrono::milliseconds duration) override { dw::SleepFor(duration); }
};

}  // namespace

std::unique_ptr<Clock> MakeSystemClock() { return std::make_unique<SystemClock>(); }

}  // namespace dw
#endif
