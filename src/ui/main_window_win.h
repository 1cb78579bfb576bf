// The main window, TfrmGprsMain: 500 x 360, frameless, centred on the work
// area. It holds the settings from creation to close, shows itself, hides to
// the notification area on "/auto" and answers the wake-up of a second copy.
#pragma once

#include <memory>

#include "platform/environment.h"
#include "platform/registry.h"
#include "settings/settings.h"
#include "ui/controls/form_region.h"
#include "ui/controls/region_form_win.h"
#include "ui/framework/window_win.h"

namespace dw::ui {

class TfrmGprsMain final : public WindowBase {
 public:
  static constexpr int kClientWidth = 500;
  static constexpr int kClientHeight = 360;
  static constexpr const wchar_t* kClassName = L"TfrmGprsMain";

  explicit TfrmGprsMain(std::shared_ptr<const Environment> environment);

  // Creates the window without showing it; loads the settings and the
  // program version, and logs the Windows version.
  bool Create();
  const Settings& settings() const { return settings_; }
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

  std::shared_ptr<const Environment> environment_;
  std::unique_ptr<Registry> registry_;
  Settings settings_;
  // The window's outline (frMain); the form goes after the region component.
  std::unique_ptr<WindowRegionForm> regionForm_;
  std::unique_ptr<TFormRegion> frMain_;
};

}  // namespace dw::ui
