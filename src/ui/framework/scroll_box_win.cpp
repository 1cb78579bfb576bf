#include "ui/framework/scroll_box_win.h"

#include <algorithm>
#include <memory>

#include "platform/win32/user_api_win.h"
#include "ui/framework/scrolling.h"

namespace dw::ui {

// The tall window inside the box. Static texts let the mouse through to it,
// so a release over a text arrives here too.
class ScrollBox::ContentWindow final : public WindowBase {
 public:
  static constexpr const char* kClassName = "DialwaveScrollContent";

  explicit ContentWindow(ScrollBox& box) : box_(box) {}

  bool Create(int width, int height) {
    RegisterClassOnce(kClassName);
    return WindowBase::Create(kClassName, WS_EX_CONTROLPARENT,
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, "", 0, 0, width, height,
                              box_.hwnd());
  }

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override {
    switch (message) {
      case WM_ERASEBKGND: {
        RECT r{};
        GetClientRect(hwnd(), &r);
        FillRect(reinterpret_cast<HDC>(wparam), &r, box_.brush_);
        result = 1;
        return true;
      }
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(wparam);
        SetBkColor(dc, box_.background_);
        SetBkMode(dc, TRANSPARENT);
        result = reinterpret_cast<LRESULT>(box_.brush_);
        return true;
      }
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        if (box_.onMouseUp) box_.onMouseUp();
        return true;
      case WM_MOUSEWHEEL:
        // The box turns the wheel; the content only passes it on.
        result = SendMessageA(box_.hwnd(), message, wparam, lparam);
        return true;
      default:
        return false;
    }
  }

 private:
  ScrollBox& box_;
};

ScrollBox::ScrollBox() = default;

ScrollBox::~ScrollBox() {
  content_.reset();  // before the box's own window goes
  if (brush_ != nullptr) DeleteObject(brush_);
}

bool ScrollBox::Create(HWND parent, const Bounds& b, int range, COLORREF background) {
  range_ = range;
  background_ = background;
  brush_ = CreateSolidBrush(background);
  RegisterClassOnce(kClassName);
  if (!WindowBase::Create(kClassName, WS_EX_CONTROLPARENT,
                          WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP,
                          "", b.x, b.y, b.width, b.height, parent)) {
    return false;
  }
  content_ = std::make_unique<ContentWindow>(*this);
  return content_->Create(b.width, std::max(range, b.height));
}

HWND ScrollBox::Content() const { return content_ != nullptr ? content_->hwnd() : nullptr; }

int ScrollBox::VisibleHeight() const {
  RECT r{};
  GetClientRect(hwnd(), &r);
  return r.bottom - r.top;
}

void ScrollBox::SetPosition(int position) {
  position = std::clamp(position, 0, LastScrollPosition(range_, VisibleHeight()));
  if (position == position_) return;
  position_ = position;
  SetWindowPos(Content(), nullptr, 0, -position_, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateWindow(hwnd());
}

bool ScrollBox::OnMessage(UINT message, WPARAM wparam, LPARAM /*lparam*/, LRESULT& result) {
  switch (message) {
    case WM_MOUSEWHEEL:
      SetPosition(WheelScrollPosition(position_, GET_WHEEL_DELTA_WPARAM(wparam), range_,
                                      VisibleHeight()));
      if (onWheel) onWheel();
      result = 0;
      return true;
    case WM_LBUTTONDOWN:
      SetFocus(hwnd());
      return false;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (onMouseUp) onMouseUp();
      return true;
    case WM_GETDLGCODE:
      result = DLGC_WANTARROWS;
      return true;
    case WM_KEYDOWN: {
      const int step = wparam == VK_UP ? -12 : wparam == VK_DOWN ? 12 : 0;
      if (step == 0) return false;
      SetPosition(position_ + step);
      if (onWheel) onWheel();
      return true;
    }
    case WM_ERASEBKGND:
      result = 1;  // the content covers the box
      return true;
    default:
      return false;
  }
}

bool SeparateScrollBar::Create(HWND parent, const Bounds& b, int max, int page, int smallStep,
                               int largeStep) {
  max_ = max;
  page_ = page;
  smallStep_ = smallStep;
  largeStep_ = largeStep;
  RegisterClassOnce(kClassName);
  if (!WindowBase::Create(kClassName, WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                          "", b.x, b.y, b.width, b.height, parent)) {
    return false;
  }
  bar_ = ScrollBar(user::CreateWindowText(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_VERT, 0,
                                          0, b.width, b.height, hwnd(), nullptr));
  if (!bar_) return false;
  bar_.SetRange(max, page);
  return true;
}

bool SeparateScrollBar::OnMessage(UINT message, WPARAM wparam, LPARAM /*lparam*/,
                                  LRESULT& result) {
  if (message != WM_VSCROLL) return false;
  ScrollRequest request;
  switch (LOWORD(wparam)) {
    case SB_LINEUP: request = ScrollRequest::LineUp; break;
    case SB_LINEDOWN: request = ScrollRequest::LineDown; break;
    case SB_PAGEUP: request = ScrollRequest::PageUp; break;
    case SB_PAGEDOWN: request = ScrollRequest::PageDown; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: request = ScrollRequest::Track; break;
    case SB_TOP: request = ScrollRequest::Top; break;
    case SB_BOTTOM: request = ScrollRequest::Bottom; break;
    default: result = 0; return true;  // SB_ENDSCROLL
  }
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  GetScrollInfo(bar_.hwnd(), SB_CTL, &info);
  // The bar's tracking position is promised only while the thumb is
  // dragged; at the release the message carries the thumb's place.
  const int track = LOWORD(wparam) == SB_THUMBPOSITION ? HIWORD(wparam) : info.nTrackPos;
  const int position =
      ScrollBarTarget(request, info.nPos, track, max_, page_, smallStep_, largeStep_);
  result = 0;
  if (position == info.nPos) return true;
  bar_.SetPosition(position);
  if (onChange) onChange();
  return true;
}

}  // namespace dw::ui
