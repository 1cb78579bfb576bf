// Typed views of the system's standard controls: each wraps a child window
// it does not own (the form's window destroys its children) and offers one
// named method per control message. Texts are code page 1251; the
// messages that carry no text go through the A functions on every system.
#pragma once

#include "platform/win32/win.h"

#include <commctrl.h>

#include <string>
#include <string_view>
#include <vector>

namespace dw::ui {

struct Bounds {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Bounds&) const = default;
};

class Control {
 public:
  Control() = default;
  explicit Control(HWND hwnd) : hwnd_(hwnd) {}

  HWND hwnd() const { return hwnd_; }
  explicit operator bool() const { return hwnd_ != nullptr; }
  int Id() const { return GetDlgCtrlID(hwnd_); }

  void SetText(std::string_view cp1251) const;
  std::string Text() const;
  bool Visible() const { return (GetWindowLongPtrA(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }
  void SetVisible(bool visible) const { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }
  bool Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
  void SetEnabled(bool enabled) const { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
  void Focus() const { SetFocus(hwnd_); }
  void BringToFront() const;
  // Position and size in the parent's client coordinates, read from the window.
  Bounds GetBounds() const;

 private:
  HWND hwnd_ = nullptr;
};

class Label : public Control {
 public:
  using Control::Control;
};

class Button : public Control {
 public:
  using Control::Control;
  // As a user's click: the button's own press and release.
  void Click() const { SendMessageA(hwnd(), BM_CLICK, 0, 0); }
};

class CheckBox : public Control {
 public:
  using Control::Control;
  bool Checked() const { return SendMessageA(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void SetChecked(bool checked) const {
    SendMessageA(hwnd(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
};

// An icon or a bitmap on a static control, drawn at its top-left corner.
class Picture : public Control {
 public:
  using Control::Control;
  // The icon stays the caller's (shared system icons are never destroyed).
  void SetIcon(HICON icon) const;
  HICON Icon() const { return reinterpret_cast<HICON>(SendMessageA(hwnd(), STM_GETICON, 0, 0)); }
};

// A multi-line text box.
class Memo : public Control {
 public:
  using Control::Control;
  void SetLines(const std::vector<std::string>& cp1251Lines) const;
  void Clear() const { SetText(""); }
  int LineCount() const { return static_cast<int>(SendMessageA(hwnd(), EM_GETLINECOUNT, 0, 0)); }
};

class ProgressBar : public Control {
 public:
  using Control::Control;
  void SetRange(int min, int max) const { SendMessageA(hwnd(), PBM_SETRANGE32, min, max); }
  int Max() const { return static_cast<int>(SendMessageA(hwnd(), PBM_GETRANGE, FALSE, 0)); }
  void SetStep(int step) const { SendMessageA(hwnd(), PBM_SETSTEP, step, 0); }
  void SetPosition(int position) const { SendMessageA(hwnd(), PBM_SETPOS, position, 0); }
  int Position() const { return static_cast<int>(SendMessageA(hwnd(), PBM_GETPOS, 0, 0)); }
  // The control's own step: it wraps to the start past the maximum.
  void StepIt() const { SendMessageA(hwnd(), PBM_STEPIT, 0, 0); }
};

// A list box whose items the form's owner draws, each of a fixed height.
class ListBox : public Control {
 public:
  using Control::Control;
  void Clear() const { SendMessageA(hwnd(), LB_RESETCONTENT, 0, 0); }
  int Add(std::string_view cp1251) const;
  int Count() const { return static_cast<int>(SendMessageA(hwnd(), LB_GETCOUNT, 0, 0)); }
  std::string Item(int index) const;
  // -1 when nothing is selected.
  int Selected() const { return static_cast<int>(SendMessageA(hwnd(), LB_GETCURSEL, 0, 0)); }
  void Select(int index) const { SendMessageA(hwnd(), LB_SETCURSEL, index, 0); }
  int ItemAt(int x, int y) const;
};

class ScrollBar : public Control {
 public:
  using Control::Control;
  // `page` is the visible part; positions run from 0 to max - page + 1.
  void SetRange(int max, int page) const;
  int Position() const { return GetScrollPos(hwnd(), SB_CTL); }
  void SetPosition(int position) const { SetScrollPos(hwnd(), SB_CTL, position, TRUE); }
};

}  // namespace dw::ui
