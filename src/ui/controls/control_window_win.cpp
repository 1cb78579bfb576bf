#include "ui/controls/control_window_win.h"

#include "platform/win32/canvas_win.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/speed_graph.h"
#include "ui/framework/gdi_scope_win.h"

namespace dw::ui {

ControlWindow::ControlWindow(PaintedPanel& control)
    : control_(control),
      button_(dynamic_cast<SkinButton*>(&control)),
      graph_(dynamic_cast<SpeedGraph*>(&control)) {}

ControlWindow::~ControlWindow() { control_.SetHost(nullptr); }

bool ControlWindow::Create(HWND parent, int x, int y, int width, int height) {
  RegisterClassOnce(kClassName, CS_DBLCLKS);
  control_.SetSize(width, height);
  control_.SetHost(this);
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS |
                      (control_.Enabled() ? 0 : WS_DISABLED);
  return WindowBase::Create(kClassName, 0, style, "", x, y, width, height, parent);
}

void ControlWindow::SetEnabled(bool enabled) {
  if (hwnd() != nullptr) EnableWindow(hwnd(), enabled ? TRUE : FALSE);
  control_.SetEnabled(enabled);
}

void ControlWindow::PaintNow() {
  if (hwnd() != nullptr) RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void ControlWindow::PaintTo(HDC dc) {
  GdiCanvas canvas(dc);
  control_.Paint(canvas);
}

bool ControlWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  // The button reads coordinates as unsigned 16-bit values: a point left of
  // or above the window is far outside its inner area.
  const int x = LOWORD(lparam);
  const int y = HIWORD(lparam);
  result = 0;
  switch (message) {
    case WM_PAINT: {
      const PaintScope paint(hwnd());
      if (paint.get() != nullptr) PaintTo(paint.get());
      return true;
    }
    case WM_PRINTCLIENT:
      PaintTo(reinterpret_cast<HDC>(wparam));
      return true;
    case WM_ERASEBKGND:
      result = 1;  // the paint covers everything
      return true;
    case WM_SIZE:
      control_.SetSize(LOWORD(lparam), HIWORD(lparam));
      return false;
    case WM_PARENTNOTIFY:
      if (graph_ != nullptr) graph_->ParentNotify(static_cast<std::uint32_t>(wparam));
      return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (button_ == nullptr) return false;
      button_->LeftButtonDown(x, y);
      return true;
    case WM_LBUTTONUP:
      if (button_ == nullptr) return false;
      button_->LeftButtonUp(x, y);
      return true;
    case WM_MOUSEMOVE:
      if (button_ == nullptr) return false;
      if (!trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
        trackingLeave_ = TrackMouseEvent(&track) != FALSE;
      }
      button_->MouseMove(x, y, (wparam & MK_LBUTTON) != 0);
      return true;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      if (button_ == nullptr) return false;
      button_->MouseLeave();
      return true;
    default:
      return false;
  }
}

}  // namespace dw::ui
