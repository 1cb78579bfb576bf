// A scroll box: a child window that shows part of a taller content window,
// moved up and down by position (vertical only, no bar of its own), and a
// separate vertical scroll bar that any parent can hold. Texts and pictures
// go into Content() at content coordinates.
#pragma once

#include "platform/win32/win.h"

#include <functional>
#include <memory>

#include "ui/framework/controls_win.h"
#include "ui/framework/window_win.h"

namespace dw::ui {

class ScrollBox final : public WindowBase {
 public:
  static constexpr const char* kClassName = "DialwaveScrollBox";

  ScrollBox();
  ~ScrollBox() override;

  // `range`: the content's height; the view is `b.height` high.
  bool Create(HWND parent, const Bounds& b, int range, COLORREF background);

  // The window the content lives in, `range` pixels high.
  HWND Content() const;
  int Range() const { return range_; }
  int VisibleHeight() const;
  int Position() const { return position_; }
  // Kept between 0 and range minus the visible height.
  void SetPosition(int position);
  COLORREF Background() const { return background_; }
  HBRUSH BackgroundBrush() const { return brush_; }

  // After a wheel turn over the box has moved the content (the box turns
  // the wheel by itself: a notch is 12 pixels).
  std::function<void()> onWheel;
  // A mouse button released over the box or anything in it.
  std::function<void()> onMouseUp;

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  class ContentWindow;
  friend class ContentWindow;

  std::unique_ptr<ContentWindow> content_;
  int range_ = 0;
  int position_ = 0;
  COLORREF background_ = RGB(255, 255, 255);
  HBRUSH brush_ = nullptr;
};

// A standard vertical scroll bar in a holder window of its size, so that
// whichever window it sits on, its scroll requests come here.
class SeparateScrollBar final : public WindowBase {
 public:
  static constexpr const char* kClassName = "DialwaveScrollBarHolder";

  // Positions 0..max with a page of `page`; line and page presses move by
  // `smallStep` and `largeStep`.
  bool Create(HWND parent, const Bounds& b, int max, int page, int smallStep, int largeStep);

  ScrollBar Bar() const { return bar_; }
  int Position() const { return bar_.Position(); }
  // Sets the thumb without telling onChange (a program's change).
  void SetPosition(int position) const { bar_.SetPosition(position); }

  // The user moved the thumb (by a press, a drag or a key).
  std::function<void()> onChange;

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  ScrollBar bar_;
  int max_ = 0;
  int page_ = 0;
  int smallStep_ = 0;
  int largeStep_ = 0;
};

}  // namespace dw::ui
