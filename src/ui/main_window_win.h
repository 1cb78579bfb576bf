// The main window, TfrmGprsMain: 500 x 360, frameless, centred on the work
// area. For now it shows itself, hides to the notification area on "/auto"
// and answers the wake-up of a second copy.
#pragma once

#include "ui/framework/window_win.h"

namespace dw::ui {

class TfrmGprsMain final : public WindowBase {
 public:
  static constexpr int kClientWidth = 500;
  static constexpr int kClientHeight = 360;
  static constexpr const wchar_t* kClassName = L"TfrmGprsMain";

  // Creates the window without showing it.
  bool Create();
  // Shows the window; with `minimised` the application goes straight to the
  // notification area and no taskbar button is left.
  void ShowAtStart(bool minimised);
  // The restore refresh: back from the notification area, normal, in front.
  void RefreshOnRestore();
  void MinimiseToTray();

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  void Paint(HDC dc);
};

}  // namespace dw::ui
