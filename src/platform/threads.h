// Threads, locks and condition variables for the whole program.
//
// Natively these are the standard types, so ThreadSanitizer sees every lock.
// The Windows build has its own, on the Win32 calls Windows 98 has (threads
// through _beginthreadex, critical sections, events): the C++ runtime's own
// threads (winpthreads) import functions that 98, ME and 2000 lack, and a
// program importing one does not load there at all.
#pragma once

#include <chrono>
#include <mutex>  // lock_guard and unique_lock; they take any lockable type

#ifndef _WIN32
#include <condition_variable>
#include <thread>
#else
#include <functional>
#include <memory>
#include <utility>
#endif

namespace dw {

#ifndef _WIN32

using Mutex = std::mutex;
using ConditionVariable = std::condition_variable;
using Thread = std::thread;
using ThreadId = std::thread::id;
using CvStatus = std::cv_status;

inline ThreadId CurrentThreadId() { return std::this_thread::get_id(); }
template <class Rep, class Period>
void SleepFor(const std::chrono::duration<Rep, Period>& duration) {
  std::this_thread::sleep_for(duration);
}

#else

enum class CvStatus { no_timeout, timeout };

// A critical section: not recursive, never copied.
class Mutex {
 public:
  Mutex();
  ~Mutex();
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;
  void lock();
  void unlock();

 private:
  // Room for a CRITICAL_SECTION (24 bytes on i686, 40 on x86_64) without
  // <windows.h> here; the implementation checks the size.
  alignas(void*) unsigned char section_[40];
};

// Each waiter waits on an event of its own, in a queue: a notification
// wakes exactly the threads waiting when it is made (no stolen wake-ups), and
// nothing beyond what Windows 98 has (Windows' own condition variables
// arrived with Vista).
class ConditionVariable {
 public:
  ConditionVariable() = default;
  ConditionVariable(const ConditionVariable&) = delete;
  ConditionVariable& operator=(const ConditionVariable&) = delete;

  void notify_one();
  void notify_all();

  void wait(std::unique_lock<Mutex>& lock) { WaitMs(lock, kForever); }
  template <class Predicate>
  void wait(std::unique_lock<Mutex>& lock, Predicate ready) {
    while (!ready()) wait(lock);
  }

  template <class Rep, class Period>
  CvStatus wait_for(std::unique_lock<Mutex>& lock, const std::chrono::duration<Rep, Period>& limit) {
    return WaitMs(lock, Milliseconds(limit)) ? CvStatus::no_timeout : CvStatus::timeout;
  }
  template <class Rep, class Period, class Predicate>
  bool wait_for(std::unique_lock<Mutex>& lock, const std::chrono::duration<Rep, Period>& limit,
                Predicate ready) {
    // Counted on the tick counter: a change of the wall clock neither
    // stretches nor cuts the wait.
    const unsigned long total = Milliseconds(limit);
    const unsigned long start = Ticks();
    while (!ready()) {
      const unsigned long spent = Ticks() - start;
      if (spent >= total) return ready();
      WaitMs(lock, total - spent);
    }
    return true;
  }

  template <class Clock, class Duration>
  CvStatus wait_until(std::unique_lock<Mutex>& lock,
                      const std::chrono::time_point<Clock, Duration>& deadline) {
    const auto left = deadline - Clock::now();
    if (left <= decltype(left)::zero()) return CvStatus::timeout;
    return wait_for(lock, left);
  }
  template <class Clock, class Duration, class Predicate>
  bool wait_until(std::unique_lock<Mutex>& lock,
                  const std::chrono::time_point<Clock, Duration>& deadline, Predicate ready) {
    while (!ready()) {
      if (wait_until(lock, deadline) == CvStatus::timeout) return ready();
    }
    return true;
  }

 private:
  static constexpr unsigned long kForever = 0xFFFFFFFFUL;
  struct Waiter;

  template <class Rep, class Period>
  static unsigned long Milliseconds(const std::chrono::duration<Rep, Period>& limit) {
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(limit).count();
    if (ms <= 0) return 0;
    // Below "forever": a long finite wait stays finite.
    return ms >= static_cast<long long>(kForever) ? kForever - 1 : static_cast<unsigned long>(ms);
  }
  static unsigned long Ticks();
  // False when the limit passed without a notification.
  bool WaitMs(std::unique_lock<Mutex>& lock, unsigned long limit);
  void Wake(Waiter* waiter);

  Mutex queueLock_;
  Waiter* first_ = nullptr;
  Waiter* last_ = nullptr;
};

class ThreadId {
 public:
  ThreadId() = default;
  explicit ThreadId(unsigned long id) : id_(id) {}
  friend bool operator==(ThreadId a, ThreadId b) { return a.id_ == b.id_; }
  friend bool operator!=(ThreadId a, ThreadId b) { return a.id_ != b.id_; }
  unsigned long value() const { return id_; }

 private:
  unsigned long id_ = 0;  // no thread
};

ThreadId CurrentThreadId();
void SleepMs(long long milliseconds);
// Windows sleeps whole milliseconds: a shorter wait rounds up, as the
// standard's sleep_for may.
template <class Rep, class Period>
void SleepFor(const std::chrono::duration<Rep, Period>& duration) {
  SleepMs(std::chrono::ceil<std::chrono::milliseconds>(duration).count());
}

// True where the loader calls no TLS callbacks (the 9x family), so each
// Thread frees the C++ runtime's per-thread blocks itself as it ends.
bool ThreadEndCleanUpByProgram();

// A thread started through _beginthreadex, so the C runtime keeps its
// per-thread data right. Like std::thread, a joinable thread must be joined
// or detached before it is destroyed.
class Thread {
 public:
  Thread() = default;
  template <class Function, class... Args>
  explicit Thread(Function&& body, Args&&... args) {
    Start(std::make_unique<std::function<void()>>(
        [body = std::forward<Function>(body), ... args = std::forward<Args>(args)]() mutable {
          std::invoke(body, args...);
        }));
  }
  Thread(Thread&& other) noexcept { *this = std::move(other); }
  Thread& operator=(Thread&& other) noexcept;
  ~Thread();

  bool joinable() const { return handle_ != nullptr; }
  void join();
  void detach();
  ThreadId get_id() const { return id_; }

 private:
  void Start(std::unique_ptr<std::function<void()>> body);

  void* handle_ = nullptr;
  ThreadId id_;
};

#endif

}  // namespace dw
