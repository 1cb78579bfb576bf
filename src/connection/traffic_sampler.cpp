#include "connection/traffic_sampler.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <mutex>
#include <utility>

#include "connection/current_connection.h"
#include "connection/statistics.h"
#include "log/log.h"
#include "platform/message_numbers.h"
#include "platform/threads.h"
#include "ras/error_text.h"

namespace dw::connection {
namespace {

// Log sources as the support staff's field logs know them.
constexpr const char* kLogResume = "TStatThread-Resume";
constexpr const char* kLogLoop = "TStatThread-Execute";

}  // namespace

// Everything the thread touches, shared with it so that a thread left to
// end on its own never reaches freed memory.
struct TrafficSampler::Core {
  explicit Core(Setup s) : setup(std::move(s)), exited(setup.messages->NewEvent()) {}

  const Setup setup;
  const std::unique_ptr<Event> exited;  // set as the loop's last act

  mutable dw::Mutex mutex;
  dw::ConditionVariable wake;
  bool started = false;
  bool pauseRequested = false;
  bool parked = false;
  bool terminated = false;
  // Moves on with every pause, so the thread can tell that one happened
  // even when it never got to stop in it.
  std::uint64_t pauseEpoch = 0;

  std::uint32_t baselineReceived = 0;
  std::uint32_t baselineSent = 0;
  std::uint32_t received = 0;
  std::uint32_t sent = 0;
  std::uint32_t speed = 0;
  std::chrono::milliseconds startTime{0};  // the clock's monotonic time of the reset
  std::chrono::milliseconds elapsed{0};
  std::chrono::milliseconds accumulated{0};

  void ResetLocked() {
    startTime = setup.clock->Monotonic();
    elapsed = std::chrono::milliseconds(0);
    accumulated = std::chrono::milliseconds(0);
    received = 0;
    sent = 0;
  }

  // The counters as the system last gave them: what a reading that cannot
  // give one of them leaves in its place. Expects the lock.
  std::uint32_t LastRawReceivedLocked() const { return baselineReceived + received; }
  std::uint32_t LastRawSentLocked() const { return baselineSent + sent; }

  // Applies one reading (`result` 0: the counters r and s). Expects the lock.
  void ApplySampleLocked(ras::Dword result, std::uint32_t r, std::uint32_t s) {
    const std::chrono::milliseconds current = setup.clock->Monotonic() - startTime;
    if (result != ras::kSuccess) {
      speed = 0;
    } else {
      // Both counters are 32-bit and wrap; so does the difference from the
      // baseline.
      r -= baselineReceived;
      s -= baselineSent;
      const long long interval = std::chrono::abs(current - elapsed).count();
      const long long difference =
          (static_cast<long long>(r) - received) + (static_cast<long long>(s) - sent);
      // A counter that went down (reset, wrap) counts by the size of its drop.
      const unsigned long long bytes =
          static_cast<unsigned long long>(difference < 0 ? -difference : difference);
      const unsigned long long perSecond =
          bytes * 1000 / static_cast<unsigned long long>(interval + 1);
      // Two counters that both jump by almost 4 GB in a millisecond would
      // not fit: the fastest speed there is, rather than a wrapped one.
      speed = static_cast<std::uint32_t>(
          std::min<unsigned long long>(perSecond, std::numeric_limits<std::uint32_t>::max()));
      received = r;
      sent = s;
    }
    elapsed = current;
  }
};

namespace {

enum class Checkpoint { kGoOn, kAfterPause, kStop };

}  // namespace

TrafficSampler::TrafficSampler(Setup setup) {
  if (!setup.getStatistics) setup.getStatistics = GetStatistics;
  if (!setup.connection) setup.connection = MainConnectionHandle;
  if (setup.slice.count() <= 0) setup.slice = std::chrono::milliseconds(1);
  core_ = std::make_shared<Core>(std::move(setup));
  std::lock_guard lock(core_->mutex);
  core_->ResetLocked();
}

TrafficSampler::~TrafficSampler() {
  Terminate();
  if (!thread_.joinable()) return;
  // The thread may be blocked in a send to this very thread: keep serving
  // messages until it is out, or the join would wait for ever.
  if (!core_->exited->IsSet()) {
    core_->setup.messages->WaitServing(*core_->exited, core_->setup.shutdownLimit);
  }
  if (core_->exited->IsSet()) {
    thread_.join();
  } else {
    thread_.detach();
  }
}

bool TrafficSampler::Resume() {
  std::unique_lock lock(core_->mutex);
  if (core_->terminated) return false;
  core_->pauseRequested = false;
  if (!core_->started) {
    try {
      thread_ = dw::Thread(&TrafficSampler::Execute, core_);
    } catch (const std::exception& e) {
      lock.unlock();
      WriteLog(kLogResume, ras::kCaughtErrorCode, e.what());
      return false;
    }
    core_->started = true;
  }
  lock.unlock();
  core_->wake.notify_all();
  return true;
}

void TrafficSampler::Pause() {
  std::lock_guard lock(core_->mutex);
  if (!core_->pauseRequested) {
    core_->pauseRequested = true;
    ++core_->pauseEpoch;
  }
}

void TrafficSampler::Terminate() {
  {
    std::lock_guard lock(core_->mutex);
    core_->terminated = true;
  }
  core_->wake.notify_all();
}

bool TrafficSampler::Running() const {
  std::lock_guard lock(core_->mutex);
  return core_->started && !core_->pauseRequested && !core_->terminated;
}

bool TrafficSampler::WaitsPaused() const {
  std::lock_guard lock(core_->mutex);
  return core_->parked;
}

void TrafficSampler::ResetCounters() {
  std::lock_guard lock(core_->mutex);
  core_->ResetLocked();
}

void TrafficSampler::Restart() { ResetCounters(); }

void TrafficSampler::Accumulate() {
  std::lock_guard lock(core_->mutex);
  core_->accumulated += core_->elapsed;
}

void TrafficSampler::SetBaseline(std::uint32_t received, std::uint32_t sent) {
  std::lock_guard lock(core_->mutex);
  core_->baselineReceived = received;
  core_->baselineSent = sent;
}

std::uint32_t TrafficSampler::CurrentSpeed() const {
  std::lock_guard lock(core_->mutex);
  return core_->speed;
}

std::chrono::milliseconds TrafficSampler::ConnectedTime() const {
  std::lock_guard lock(core_->mutex);
  return core_->elapsed + core_->accumulated;
}

std::uint32_t TrafficSampler::Received() const {
  std::lock_guard lock(core_->mutex);
  return core_->received;
}

std::uint32_t TrafficSampler::Sent() const {
  std::lock_guard lock(core_->mutex);
  return core_->sent;
}

void TrafficSampler::Sample(ras::Handle conn) {
  std::uint32_t r = 0;
  std::uint32_t s = 0;
  {
    std::lock_guard lock(core_->mutex);
    r = core_->LastRawReceivedLocked();
    s = core_->LastRawSentLocked();
  }
  const ras::Dword result = core_->setup.getStatistics(r, s, conn);
  std::lock_guard lock(core_->mutex);
  core_->ApplySampleLocked(result, r, s);
}

void TrafficSampler::Execute(std::shared_ptr<Core> core) {
  Core& c = *core;
  std::uint64_t epoch = 0;
  {
    std::lock_guard lock(c.mutex);
    c.ResetLocked();
    epoch = c.pauseEpoch;
  }
  bool missed = false;

  // Stops here while paused. kAfterPause when a pause came since `epoch`.
  const auto checkpoint = [&]() {
    std::unique_lock lock(c.mutex);
    if (c.pauseRequested && !c.terminated) {
      c.parked = true;
      c.wake.wait(lock, [&] { return !c.pauseRequested || c.terminated; });
      c.parked = false;
    }
    if (c.terminated) return Checkpoint::kStop;
    if (c.pauseEpoch != epoch) {
      epoch = c.pauseEpoch;
      return Checkpoint::kAfterPause;
    }
    return Checkpoint::kGoOn;
  };

  // Sends unless a pause or Terminate came since this period began.
  const auto report = [&](std::uint32_t message, bool withCounters) {
    std::uintptr_t wparam = 0;
    std::intptr_t lparam = 0;
    {
      std::lock_guard lock(c.mutex);
      if (c.terminated || c.pauseRequested || c.pauseEpoch != epoch) return;
      if (withCounters) {
        wparam = c.received;
        lparam = static_cast<std::intptr_t>(c.sent);
      }
    }
    c.setup.messages->Send(c.setup.target, message, wparam, lparam);
  };

  try {
    for (;;) {
      // The period, in slices so that a pause or Terminate is seen soon; a
      // pause starts a fresh period and forgets a failed check, so a
      // restored connection is not reported lost at its first bad check.
      bool stop = false;
      for (std::chrono::milliseconds slept{0};;) {
        const Checkpoint point = checkpoint();
        if (point == Checkpoint::kStop) {
          stop = true;
          break;
        }
        if (point == Checkpoint::kAfterPause) {
          slept = std::chrono::milliseconds(0);
          missed = false;
        }
        if (slept >= c.setup.period) break;
        const auto step = std::min(c.setup.slice, c.setup.period - slept);
        c.setup.clock->Sleep(step);
        slept += step;
      }
      if (stop) break;

      const ras::Handle conn = c.setup.connection();
      if (c.setup.connIsOpen(conn)) {
        missed = false;
        std::uint32_t r = 0;
        std::uint32_t s = 0;
        {
          std::lock_guard lock(c.mutex);
          r = c.LastRawReceivedLocked();
          s = c.LastRawSentLocked();
        }
        const ras::Dword result = c.setup.getStatistics(r, s, conn);
        {
          std::lock_guard lock(c.mutex);
          // A reading from before a pause would land after the main
          // window's Restart and baseline: drop it.
          if (c.pauseEpoch != epoch) continue;
          c.ApplySampleLocked(result, r, s);
        }
        report(kMsgStatistics, true);
      } else if (missed) {
        report(kMsgConnectionLost, false);
      } else {
        missed = true;
      }
    }
  } catch (const std::exception& e) {
    WriteLog(kLogLoop, ras::kCaughtErrorCode, e.what());
  } catch (...) {
    WriteLog(kLogLoop, ras::kCaughtErrorCode, "unknown error");
  }
  c.exited->Set();
}

}  // namespace dw::connection
