#include <mutex>

#include "platform/clock.h"
#include "platform/threads.h"
#include "platform/win32/win.h"

namespace dw {
namespace {

class Win32Clock final : public Clock {
 public:
  LocalDateTime Now() const override {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
  }
  // GetTickCount wraps after 49 days; widening it here keeps callers simple.
  // (GetTickCount64 does not exist before Vista.)
  std::chrono::milliseconds Monotonic() const override {
    const DWORD now = GetTickCount();
    std::lock_guard lock(mutex_);
    if (now < last_) high_ += 1ULL << 32;
    last_ = now;
    return std::chrono::milliseconds(static_cast<long long>(high_ + now));
  }
  void Sleep(std::chrono::milliseconds duration) override {
    ::Sleep(static_cast<DWORD>(duration.count()));
  }

 private:
  mutable Mutex mutex_;
  mutable DWORD last_ = 0;
  mutable unsigned long long high_ = 0;
};

}  // namespace

std::unique_ptr<Clock> MakeSystemClock() { return std::make_unique<Win32Clock>(); }

}  // namespace dw
