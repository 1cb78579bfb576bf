#include "platform/threads.h"

#include <process.h>

#include <cstdint>
#include <exception>

#include "platform/error.h"
#include "platform/win32/win.h"

// mingw-w64's C++ runtime frees a thread's per-thread blocks (the exception
// globals, emulated thread-locals) in key destructors, which this CRT
// routine of its TLS callbacks registers once it has seen the process start
// and runs when a thread ends. The 9x loader calls no TLS callback, so
// there the destructors are neither registered nor run and every thread
// that ever threw leaves its blocks behind; where the loader is silent,
// the program calls it itself (below).
extern "C" BOOL __mingw_TLScallback(HANDLE module, DWORD reason, LPVOID reserved);

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

// Set when the loader calls the program's TLS callbacks; the 9x loader
// calls none.
bool loaderCallsTlsCallbacks = false;
// Whether the program runs the runtime's per-thread clean-up itself.
bool cleanUpAtThreadEnd = false;

void NTAPI NoteTlsCallback(PVOID, DWORD reason, PVOID) {
  if (reason == DLL_PROCESS_ATTACH) loaderCallsTlsCallbacks = true;
}

// Before every constructor that might throw, and so before the runtime
// makes its first per-thread key.
__attribute__((constructor(101))) void RegisterThreadCleanUpWhereTheLoaderDoesNot() {
  if (loaderCallsTlsCallbacks) return;
  __mingw_TLScallback(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH, nullptr);
  cleanUpAtThreadEnd = true;
}

unsigned __stdcall RunThread(void* argument) {
  {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
    (*body)();
  }  // the body and what it holds go first: their destructors may use the runtime's blocks
  if (cleanUpAtThreadEnd) __mingw_TLScallback(nullptr, DLL_THREAD_DETACH, nullptr);
  return 0;
}

}  // namespace

// Sorted after mingw-w64's own callbacks (.CRT$XLC, .CRT$XLD), before the
// list's end (.CRT$XLZ).
extern "C" __attribute__((used, section(".CRT$XLY"))) const PIMAGE_TLS_CALLBACK
    dw_note_tls_callback = NoteTlsCallback;

bool ThreadEndCleanUpByProgram() { return cleanUpAtThreadEnd; }

void Thread::Start(std::unique_ptr<std::function<void()>> body) {
  unsigned id = 0;
  const std::uintptr_t handle = _beginthreadex(nullptr, 0, RunThread, body.get(), 0, &id);
  if (handle == 0) throw Error("thread not started");
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
  if (!joinable()) throw Error("no thread to join or detach");
  if (id_ == CurrentThreadId())
    throw Error("a thread cannot join itself");
  WaitForSingleObject(handle_, INFINITE);
  detach();
}

void Thread::detach() {
  if (!joinable()) throw Error("no thread to join or detach");
  CloseHandle(handle_);
  handle_ = nullptr;
  id_ = ThreadId();
}

}  // namespace dw
