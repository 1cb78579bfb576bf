// A child window that shows one portable control: it paints the control
// through a GDI canvas and feeds the button its mouse messages and the graph
// its parent notifications.
#pragma once

#include "platform/win32/win.h"

#include "ui/controls/panel.h"
#include "ui/framework/window_win.h"

namespace dw::ui {

class SkinButton;
class SpeedGraph;

class ControlWindow final : public WindowBase, public ControlHost {
 public:
  static constexpr const char* kClassName = "DialwaveControl";

  // The control must outlive the window.
  explicit ControlWindow(PaintedPanel& control);
  ~ControlWindow() override;

  bool Create(HWND parent, int x, int y, int width, int height);
  // Enables the window (mouse input) and the control's look together.
  void SetEnabled(bool enabled);
  void PaintNow() override;
  // The control's look on any DC (WM_PAINT, WM_PRINTCLIENT, tests).
  void PaintTo(HDC dc);

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  PaintedPanel& control_;
  SkinButton* button_;
  SpeedGraph* graph_;
  bool trackingLeave_ = false;
};

}  // namespace dw::ui
