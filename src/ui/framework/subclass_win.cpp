#include "ui/framework/subclass_win.h"

#include "log/log.h"
#include "platform/win32/user_api_win.h"

namespace dw::ui {
namespace {

constexpr const char* kProperty = "DialwaveSubclass";

}  // namespace

// Lives as long as our procedure is in the window's chain, which can be
// longer than the Subclass when someone hooked in after us.
struct Subclass::Hook {
  WNDPROC previous = nullptr;
  Subclass* owner = nullptr;
};

bool Subclass::Attach(HWND window, Listener listener) {
  if (hook_ != nullptr || window == nullptr || GetPropA(window, kProperty) != nullptr) return false;
  auto* hook = new Hook{nullptr, this};
  if (!SetPropA(window, kProperty, hook)) {
    delete hook;
    return false;
  }
  hook->previous = user::SetWindowProc(window, &Procedure);
  if (hook->previous == nullptr) {
    RemovePropA(window, kProperty);
    delete hook;
    return false;
  }
  window_ = window;
  hook_ = hook;
  listener_ = std::move(listener);
  return true;
}

void Subclass::Detach() {
  if (hook_ == nullptr) return;
  if (IsWindow(window_) && user::WindowProc(window_) == &Procedure) {
    user::SetWindowProc(window_, hook_->previous);
    RemovePropA(window_, kProperty);
    delete hook_;
  } else if (IsWindow(window_)) {
    // Someone hooked in after us: stay in the chain, passing messages on.
    hook_->owner = nullptr;
  }
  hook_ = nullptr;
  window_ = nullptr;
  listener_ = nullptr;
}

LRESULT CALLBACK Subclass::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* hook = static_cast<Hook*>(GetPropA(window, kProperty));
  if (hook == nullptr) return user::DefProc(window, message, wparam, lparam);
  const WNDPROC previous = hook->previous;
  if (hook->owner != nullptr && hook->owner->listener_) {
    // No error may cross the system's frames.
    try {
      hook->owner->listener_(message, wparam, lparam);
    } catch (...) {
      LogCaughtError("Subclass");
      Sleep(10);
    }
  }
  if (message == WM_NCDESTROY) {
    user::SetWindowProc(window, previous);
    RemovePropA(window, kProperty);
    if (hook->owner != nullptr) {
      hook->owner->hook_ = nullptr;
      hook->owner->window_ = nullptr;
    }
    delete hook;
  }
  return user::CallProc(previous, window, message, wparam, lparam);
}

}  // namespace dw::ui
