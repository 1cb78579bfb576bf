// Worker-to-window traffic: synchronous sends, and waits on the user-interface
// thread that keep serving its messages.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

namespace dw {

// A window as the core sees it: an opaque handle value, 0 for none.
using WindowHandle = std::uintptr_t;

// A manual-reset event: once set it stays set.
class Event {
 public:
  virtual ~Event() = default;
  virtual void Set() = 0;
  virtual bool IsSet() const = 0;
};

class WindowMessages {
 public:
  virtual ~WindowMessages() = default;

  virtual std::unique_ptr<Event> NewEvent() = 0;

  // Delivers `message` to `window` and returns its result once the window's
  // thread has handled it. From that thread itself the handler runs at once.
  // 0 when the window no longer exists.
  virtual std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                             std::intptr_t lparam) = 0;

  // Handles whatever is waiting for the calling thread, then returns.
  virtual void ProcessPending() = 0;

  // Keeps handling the calling thread's messages until `event` is set (true)
  // or `limit` has passed (false). Wakes as soon as the event is set.
  virtual bool WaitServing(const Event& event, std::chrono::milliseconds limit) = 0;
};

}  // namespace dw
