#include "platform/threads.h"

#include <process.h>

#include <cerrno>
#include <cstdint>
#include <exception>
#include <system_error>

#include "platform/win32/win.h"

namespace dw {

static_assert(sizeof(CRITICAL_SECTION) <= 40, "Mutex::section_ is too small");

namespace {
CRITICAL_SECTION* Section(unsigned char* bytes) { return reinterpret_cast<CRITICAL_SECTION*>(bytes); }
}  // namespace

Mutex::Mutex() { InitializeCriticalSection(Section(section_)); }
Mutex::~Mutex() { DeleteCriticalSection(Section(section_)); }
void Mutex::lock() { EnterCriticalSection(Section(section_)); }
void Mutex::unlock() { LeaveCriticalSection(Section(section_)); }

struct ConditionVariable::Waiter {
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  Waiter* next = nullptr;
  bool queued = true;
};

unsigned long ConditionVariable::Ticks() { return GetTickCount(); }

bool ConditionVariable::WaitMs(std::unique_lock<Mutex>& lock, unsigned long limit) {
  Waiter self;
  if (self.event == nullptr) {
    // No event to wait on: let the caller look at its condition again
    // rather than block forever.
    lock.unlock();
    Sleep(limit == 0 ? 0 : 1);
    lock.lock();
    return true;
  }
  {
    std::lock_guard guard(queueLock_);
    (last_ ? last_->next : first_) = &self;
    last_ = &self;
  }
  lock.unlock();
  const DWORD waited = WaitForSingleObject(self.event, limit);
  bool notified = waited == WAIT_OBJECT_0;
  {
    std::lock_guard guard(queueLock_);
    if (self.queued) {
      // The limit passed: leave the queue.
      Waiter** link = &first_;
      Waiter* previous = nullptr;
      while (*link != &self) {
        previous = *link;
        link = &(*link)->next;
      }
      *link = self.next;
      if (last_ == &self) last_ = previous;
      notified = false;
    } else {
      // Notified, possibly just as the limit passed: the wake-up counts.
      notified = true;
    }
  }
  CloseHandle(self.event);
  lock.lock();
  return notified;
}

void ConditionVariable::Wake(Waiter* waiter) {
  waiter->queued = false;
  SetEvent(waiter->event);
}

void ConditionVariable::notify_one() {
  std::lock_guard guard(queueLock_);
  if (Waiter* w = first_) {
    first_ = w->next;
    if (!first_) last_ = nullptr;
    Wake(w);
  }
}

void ConditionVariable::notify_all() {
  std::lock_guard guard(queueLock_);
  Waiter* w = first_;
  first_ = last_ = nullptr;
  while (w) {
    Waiter* next = w->next;  // read first: once woken, the waiter's frame may go
    Wake(w);
    w = next;
  }
}

ThreadId CurrentThreadId() { return ThreadId(GetCurrentThreadId()); }

void SleepMs(long long milliseconds) {
  Sleep(milliseconds <= 0 ? 0 : static_cast<DWORD>(milliseconds));
}

namespace {
unsigned __stdcall RunThread(void* argument) {
  std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
  (*body)();
  return 0;
}
}  // namespace

void Thread::Start(std::unique_ptr<std::function<void()>> body) {
  unsigned id = 0;
  const std::uintptr_t handle = _beginthreadex(nullptr, 0, RunThread, body.get(), 0, &id);
  if (handle == 0) throw std::system_error(errno, std::generic_category(), "thread not started");
  body.release();  // the thread owns it now
  handle_ = reinterpret_cast<void*>(handle);
  id_ = ThreadId(id);
}

Thread& Thread::operator=(Thread&& other) noexcept {
  if (this != &other) {
    if (joinable()) std::terminate();  // as dw::Thread does
    handle_ = other.handle_;
    id_ = other.id_;
    other.handle_ = nullptr;
    other.id_ = ThreadId();
  }
  return *this;
}

Thread::~Thread() {
  // dw::Thread ends the program here; a thread left running would outlive
  // what it works on.
  if (joinable()) std::terminate();
}

void Thread::join() {
  if (!joinable()) throw std::system_error(std::make_error_code(std::errc::invalid_argument));
  if (id_ == CurrentThreadId())
    throw std::system_error(std::make_error_code(std::errc::resource_deadlock_would_occur));
  WaitForSingleObject(handle_, INFINITE);
  detach();
}

void Thread::detach() {
  if (!joinable()) throw std::system_error(std::make_error_code(std::errc::invalid_argument));
  CloseHandle(handle_);
  handle_ = nullptr;
  id_ = ThreadId();
}

}  // namespace dw
