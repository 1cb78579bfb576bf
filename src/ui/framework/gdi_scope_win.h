// Scoped undo for GDI: each scope puts back what it changed when it goes.
#pragma once

#include "platform/win32/win.h"

namespace dw::ui {

// Undoes one SelectObject.
class SelectionScope {
 public:
  SelectionScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectionScope() {
    if (old_ != nullptr) SelectObject(dc_, old_);
  }
  SelectionScope(const SelectionScope&) = delete;
  SelectionScope& operator=(const SelectionScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A window's DC, released with the window it came from.
class WindowDcScope {
 public:
  explicit WindowDcScope(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDcScope() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDcScope(const WindowDcScope&) = delete;
  WindowDcScope& operator=(const WindowDcScope&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint .. EndPaint.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &ps_)) {}
  ~PaintScope() { EndPaint(window_, &ps_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

}  // namespace dw::ui
