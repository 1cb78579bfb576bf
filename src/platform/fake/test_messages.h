// WindowMessages for tests: the constructing thread plays the user-interface
// thread, "windows" are handler functions, and a send from another thread
// blocks until the UI thread serves it, as SendMessage does.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "platform/messages.h"
#include "platform/threads.h"

namespace dw {

class TestWindowMessages final : public WindowMessages {
 public:
  using Handler = std::function<std::intptr_t(std::uint32_t message, std::uintptr_t wparam,
                                              std::intptr_t lparam)>;

  TestWindowMessages();
  ~TestWindowMessages() override;

  WindowHandle AddWindow(Handler handler);
  // Sends waiting for a removed window return 0, as for a destroyed window.
  void RemoveWindow(WindowHandle window);
  dw::ThreadId UiThread() const { return uiThread_; }

  std::unique_ptr<Event> NewEvent() override;
  std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                     std::intptr_t lparam) override;
  void ProcessPending() override;
  bool WaitServing(const Event& event, std::chrono::milliseconds limit) override;

  struct Shared {
    dw::Mutex mutex;
    dw::ConditionVariable changed;
  };

 private:
  struct Pending {
    WindowHandle window;
    std::uint32_t message;
    std::uintptr_t wparam;
    std::intptr_t lparam;
    std::intptr_t result = 0;
    bool done = false;
  };

  // Serves one queued send; false when none was waiting. Expects the lock.
  bool ServeOne(std::unique_lock<dw::Mutex>& lock);

  dw::ThreadId uiThread_;
  std::shared_ptr<Shared> shared_;
  std::deque<Pending*> queue_;
  std::map<WindowHandle, Handler> windows_;
  WindowHandle nextHandle_ = 0x1000;
};

}  // namespace dw
