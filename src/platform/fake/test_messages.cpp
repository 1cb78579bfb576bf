#include "platform/fake/test_messages.h"

#include <cassert>
#include "platform/threads.h"

namespace dw {
namespace {

class TestEvent final : public Event {
 public:
  explicit TestEvent(std::shared_ptr<TestWindowMessages::Shared> shared) : shared_(std::move(shared)) {}
  void Set() override {
    {
      std::lock_guard lock(shared_->mutex);
      set_ = true;
    }
    shared_->changed.notify_all();
  }
  bool IsSet() const override {
    std::lock_guard lock(shared_->mutex);
    return set_;
  }
  // For the waiter, which already holds the lock.
  bool IsSetLocked() const { return set_; }

 private:
  std::shared_ptr<TestWindowMessages::Shared> shared_;
  bool set_ = false;
};

}  // namespace

TestWindowMessages::TestWindowMessages()
    : uiThread_(dw::CurrentThreadId()), shared_(std::make_shared<Shared>()) {}

TestWindowMessages::~TestWindowMessages() {
  // Release any sender still waiting, as a destroyed window would.
  std::lock_guard lock(shared_->mutex);
  for (Pending* p : queue_) p->done = true;
  queue_.clear();
  shared_->changed.notify_all();
}

WindowHandle TestWindowMessages::AddWindow(Handler handler) {
  std::lock_guard lock(shared_->mutex);
  const WindowHandle handle = nextHandle_++;
  windows_[handle] = std::move(handler);
  return handle;
}

void TestWindowMessages::RemoveWindow(WindowHandle window) {
  std::lock_guard lock(shared_->mutex);
  windows_.erase(window);
}

std::unique_ptr<Event> TestWindowMessages::NewEvent() { return std::make_unique<TestEvent>(shared_); }

std::intptr_t TestWindowMessages::Send(WindowHandle window, std::uint32_t message,
                                       std::uintptr_t wparam, std::intptr_t lparam) {
  if (dw::CurrentThreadId() == uiThread_) {
    Handler handler;
    {
      std::lock_guard lock(shared_->mutex);
      auto it = windows_.find(window);
      if (it == windows_.end()) return 0;
      handler = it->second;
    }
    return handler(message, wparam, lparam);
  }
  Pending pending{window, message, wparam, lparam};
  std::unique_lock lock(shared_->mutex);
  queue_.push_back(&pending);
  shared_->changed.notify_all();
  shared_->changed.wait(lock, [&] { return pending.done; });
  return pending.result;
}

bool TestWindowMessages::ServeOne(std::unique_lock<dw::Mutex>& lock) {
  if (queue_.empty()) return false;
  Pending* pending = queue_.front();
  queue_.pop_front();
  auto it = windows_.find(pending->window);
  Handler handler = it == windows_.end() ? Handler{} : it->second;
  lock.unlock();
  const std::intptr_t result = handler ? handler(pending->message, pending->wparam, pending->lparam) : 0;
  lock.lock();
  pending->result = result;
  pending->done = true;
  shared_->changed.notify_all();
  return true;
}

void TestWindowMessages::ProcessPending() {
  assert(dw::CurrentThreadId() == uiThread_);
  std::unique_lock lock(shared_->mutex);
  while (ServeOne(lock)) {
  }
}

bool TestWindowMessages::WaitServing(const Event& event, std::chrono::milliseconds limit) {
  assert(dw::CurrentThreadId() == uiThread_);
  const auto& testEvent = static_cast<const TestEvent&>(event);
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::unique_lock lock(shared_->mutex);
  for (;;) {
    while (ServeOne(lock)) {
    }
    if (testEvent.IsSetLocked()) return true;
    if (shared_->changed.wait_until(lock, deadline) == dw::CvStatus::timeout) {
      while (ServeOne(lock)) {
      }
      return testEvent.IsSetLocked();
    }
  }
}

}  // namespace dw
