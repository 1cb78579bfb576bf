// The base of every window of ours: one window procedure for all classes,
// `this` bound at WM_NCCREATE and unbound at WM_NCDESTROY, and one virtual
// handler that says whether it handled a message.
#pragma once

#include "platform/win32/win.h"

#include <string_view>

namespace dw::ui {

class WindowBase {
 public:
  WindowBase() = default;
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;
  virtual ~WindowBase();

  HWND hwnd() const { return hwnd_; }

 protected:
  // Registers `className` (ASCII) once per process with the shared window
  // procedure, in the family the platform layer chose.
  static void RegisterClassOnce(const char* className, UINT style = 0, HICON icon = nullptr,
                                HBRUSH background = nullptr);

  // `title` is code page 1251.
  bool Create(const char* className, DWORD exStyle, DWORD style, std::string_view title, int x,
              int y, int width, int height, HWND parent);

  // Returns true when handled, with the message's result in `result`;
  // false passes the message on to DefWindowProc.
  virtual bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) = 0;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  HWND hwnd_ = nullptr;
};

}  // namespace dw::ui
