#include "ras/readiness.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/plain_event.h"
#include "ras/binding.h"
#include "ras/context.h"
#include "platform/threads.h"

namespace dw::ras {
namespace {

std::atomic<int> g_running{0};

// For a context without a waiter (tools, benchmarks): a plain event and no
// message queue to serve.
class PlainWaiter final : public RasWaiter {
 public:
  std::unique_ptr<Event> NewEvent() override { return std::make_unique<PlainEvent>(); }
  void Serve() override {}
  void WaitPass(const Event& done, std::chrono::milliseconds limit) override {
    static_cast<const PlainEvent&>(done).WaitFor(limit);
  }
};

RasWaiter& WaiterOf(const RasContext& context) {
  static PlainWaiter plain;
  return context.waiter ? *context.waiter : plain;
}

// Owned by the waiter and the worker together, so either may finish first:
// an abandoned worker still writes here after its waiter has returned.
struct WorkerState {
  std::atomic<Dword> result{0};
  std::unique_ptr<Event> done;  // set after `result`
};

// Worker threads are kept for the next check: creating a thread costs more
// than the probe itself (several milliseconds under Wine). A thread stuck in
// a hung RAS call just stays busy; the next job gets another thread.
class WorkerPool {
 public:
  void Run(std::function<void()> job) {
    std::unique_lock lock(mutex_);
    ++g_running;
    jobs_.push_back(std::move(job));
    if (idle_ >= jobs_.size()) {
      ready_.notify_one();
      return;
    }
    lock.unlock();
    try {
      dw::Thread([this] { Loop(); }).detach();
    } catch (...) {
      lock.lock();
      jobs_.pop_back();
      --g_running;
      throw;
    }
  }

 private:
  static constexpr std::size_t kMaxIdle = 4;

  void Loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
      while (jobs_.empty()) {
        ++idle_;
        ready_.wait(lock);
        --idle_;
      }
      std::function<void()> job = std::move(jobs_.front());
      jobs_.pop_front();
      lock.unlock();
      job();
      job = nullptr;  // the shared state goes before the count says so
      lock.lock();
      --g_running;
      if (idle_ >= kMaxIdle) return;
    }
  }

  dw::Mutex mutex_;
  dw::ConditionVariable ready_;
  std::deque<std::function<void()>> jobs_;
  std::size_t idle_ = 0;
};

void StartWorker(std::function<void()> run) {
  // Never destroyed: idle workers wait on it until the process ends.
  static WorkerPool* pool = new WorkerPool;
  pool->Run(std::move(run));
}

// At most `passes` passes of: serve messages, stop when done, else wait one
// pass length (waking early). True when the worker finished.
bool WaitForWorker(const RasContext& context, const Event& done, std::int64_t passes) {
  RasWaiter& waiter = WaiterOf(context);
  for (std::int64_t pass = 0; pass < passes; ++pass) {
    waiter.Serve();
    if (done.IsSet()) return true;
    waiter.WaitPass(done, context.passLength);
  }
  return done.IsSet();
}

}  // namespace

Dword CheckRasReady() {
  const RasContext& context = CurrentRasContext();
  // Only the first check of a run may be long, even when this one fails.
  struct ResetWait {
    std::atomic<std::int32_t>* count;
    ~ResetWait() {
      if (count) count->store(kReadyWaitAfterCheck);
    }
  } resetWait{context.readyWaitCount};

  auto state = std::make_shared<WorkerState>();
  state->result = kErrorRasmanCannotInitialize;
  state->done = WaiterOf(context).NewEvent();
  const RasLibrary* library = context.library;
  StartWorker([state, library] {
    void* entry = library ? library->Lookup("RasEnumDevicesA") : nullptr;
    if (!entry) return;  // no answer: the waiter gives up after its passes
    Dword bytes = 0;
    Dword count = 0;
    state->result = reinterpret_cast<RasEnumDevicesAFn>(entry)(nullptr, &bytes, &count);
    state->done->Set();
  });

  const std::int32_t n =
      context.readyWaitCount ? context.readyWaitCount->load() : kReadyWaitAfterCheck;
  const bool finished = WaitForWorker(context, *state->done, n >= 0 ? std::int64_t{n} + 1 : 0);
  // A result written after the waiter gave up is not an answer in time.
  return finished ? state->result.load() : kErrorRasmanCannotInitialize;
}

Dword HangUpWithWorker(Handle conn, Dword connStatusSize) {
  if (CheckRasReady() == kErrorRasmanCannotInitialize) return kErrorRasmanCannotInitialize;
  // Looked up here, so a missing name is an error to the caller rather than a
  // worker that never reports.
  const auto hangUp = reinterpret_cast<RasHangUpAFn>(ResolveEntryPoint("RasHangUpA"));
  const auto status =
      reinterpret_cast<RasGetConnectStatusAFn>(ResolveEntryPoint("RasGetConnectStatusA"));

  const RasContext& context = CurrentRasContext();
  auto state = std::make_shared<WorkerState>();
  state->done = WaiterOf(context).NewEvent();
  StartWorker([state, hangUp, status, conn, connStatusSize] {
    // Room for the largest status record whatever size the caller names.
    std::vector<std::uint8_t> record(
        std::max<std::size_t>(connStatusSize, sizeof(v401::RasConnStatusA)));
    Dword code = 0;
    bool accepted = false;
    for (int call = 0; call < kHangUpCalls; ++call) {
      code = hangUp(conn);
      accepted = accepted || code == kSuccess;
      std::fill(record.begin(), record.end(), 0);
      std::memcpy(record.data(), &connStatusSize, sizeof connStatusSize);
      if (status(conn, record.data()) == kErrorInvalidHandle) break;
      if (call + 1 < kHangUpCalls) dw::SleepFor(std::chrono::milliseconds(10));
    }
    // RAS lets the handle go a while after the hang-up, often during the
    // sleep: the call after that finds it gone (6), yet the hang-up worked.
    state->result = code == kErrorInvalidHandle && accepted ? kSuccess : code;
    state->done->Set();
  });
  const bool finished = WaitForWorker(context, *state->done, kHangUpPasses);
  return finished ? state->result.load() : 0;
}

int RunningRasWorkers() { return g_running.load(); }

}  // namespace dw::ras
