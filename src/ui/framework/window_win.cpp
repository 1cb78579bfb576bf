#include "ui/framework/window_win.h"

namespace dw::ui {

WindowBase::~WindowBase() {
  if (hwnd_ != nullptr) {
    // Unbind first: the window outlives nothing of ours.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void WindowBase::RegisterClassOnce(const wchar_t* className, UINT style, HICON icon,
                                   HBRUSH background) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, className, &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = &WindowBase::Procedure;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hIconSm = icon;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  RegisterClassExW(&wc);
}

bool WindowBase::Create(const wchar_t* className, DWORD exStyle, DWORD style, const wchar_t* title,
                        int x, int y, int width, int height, HWND parent) {
  CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, nullptr,
                  GetModuleHandleW(nullptr), this);
  return hwnd_ != nullptr;
}

LRESULT CALLBACK WindowBase::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  WindowBase* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);

  LRESULT result = 0;
  bool handled = false;
  // No error may cross the system's frames back into the message loop; one
  // that gets this far is dropped after a short pause, never shown.
  try {
    handled = self->OnMessage(message, wparam, lparam, result);
  } catch (...) {
    Sleep(10);
    handled = true;
    result = 0;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return handled ? result : DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace dw::ui
