// An Event for threads that have no message queue to serve while they wait.
#pragma once

#include <chrono>
#include <mutex>

#include "platform/messages.h"
#include "platform/threads.h"

namespace dw {

class PlainEvent final : public Event {
 public:
  void Set() override {
    {
      std::lock_guard lock(mutex_);
      set_ = true;
    }
    changed_.notify_all();
  }
  bool IsSet() const override {
    std::lock_guard lock(mutex_);
    return set_;
  }
  // True when the event was set within `limit`.
  bool WaitFor(std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return set_; });
  }

 private:
  mutable dw::Mutex mutex_;
  mutable dw::ConditionVariable changed_;
  bool set_ = false;
};

}  // namespace dw
