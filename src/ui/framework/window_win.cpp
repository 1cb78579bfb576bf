#include "ui/framework/window_win.h"

#include "log/log.h"
#include "platform/win32/user_api_win.h"

namespace dw::ui {

WindowBase::~WindowBase() {
  if (hwnd_ != nullptr) {
    // Unbind first: the window outlives nothing of ours.
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void WindowBase::RegisterClassOnce(const char* className, UINT style, HICON icon,
                                   HBRUSH background) {
  user::WindowClass wc;
  wc.name = className;
  wc.procedure = &WindowBase::Procedure;
  wc.style = style;
  wc.icon = icon;
  wc.cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.background = background;
  user::RegisterWindowClass(wc);
}

bool WindowBase::Create(const char* className, DWORD exStyle, DWORD style, std::string_view title,
                        int x, int y, int width, int height, HWND parent) {
  user::CreateWindowText(exStyle, className, title, style, x, y, width, height, parent, nullptr,
                         this);
  return hwnd_ != nullptr;
}

LRESULT CALLBACK WindowBase::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  WindowBase* self = nullptr;
  if (message == WM_NCCREATE) {
    // lpCreateParams sits at the same place in both layouts.
    self = static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<WindowBase*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) return user::DefProc(hwnd, message, wparam, lparam);

  LRESULT result = 0;
  bool handled = false;
  // No error may cross the system's frames back into the message loop; one
  // that gets this far is logged and dropped after a short pause, never shown.
  try {
    handled = self->OnMessage(message, wparam, lparam, result);
  } catch (...) {
    LogCaughtError("WndProc");
    Sleep(10);
    handled = true;
    result = 0;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return handled ? result : user::DefProc(hwnd, message, wparam, lparam);
}

}  // namespace dw::ui
