// Classic subclassing of a window we did not make: comctl32's subclass
// helpers are exported by name only from XP on, the window procedure itself
// can be replaced everywhere. The object must outlive its hook or detach it;
// when the window goes first, the hook detaches itself.
#pragma once

#include "platform/win32/win.h"

#include <functional>

namespace dw::ui {

class Subclass {
 public:
  // Sees every message before the window does; the window still gets it.
  using Listener = std::function<void(UINT message, WPARAM wparam, LPARAM lparam)>;

  Subclass() = default;
  Subclass(const Subclass&) = delete;
  Subclass& operator=(const Subclass&) = delete;
  ~Subclass() { Detach(); }

  bool Attach(HWND window, Listener listener);
  void Detach();
  bool Attached() const { return hook_ != nullptr; }

 private:
  struct Hook;
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  HWND window_ = nullptr;
  Hook* hook_ = nullptr;  // the window's, through a property; may outlive us
  Listener listener_;
};

}  // namespace dw::ui
