// The about panel's content (pnlAbout): heading picture, product text with
// the version, the maker's notice and customer-service number, the web-site
// and mail links (opened by a double-click), and the back link.
#pragma once

#include "platform/win32/win.h"

#include <functional>
#include <string_view>

#include "platform/shell.h"
#include "ui/framework/picture_box_win.h"
#include "ui/panels/panel_content_win.h"

namespace dw::ui {

class TAboutPanel final : public PanelContent {
 public:
  static constexpr const char* kClassName = "TAboutPanel";

  // A child of `parent` (the main window's panel) at `b` (normally
  // {0, 0, 500, 265}); `resources` holds HEADING_ABOUT; the links open
  // through `shell`, which must outlive the panel.
  TAboutPanel(HWND parent, const Bounds& b, HMODULE resources, Shell& shell);
  bool Created() const { return hwnd() != nullptr; }

  // lblVersion := "Версия: " + version.
  void SetVersion(std::string_view programVersion);

  std::function<void()> onReturn;  // Label12 "<  Вернуться в программу"

  PictureBox imgAbout;
  Label Label35, lblVersion, Label36, Label38, lblWWW, lblMail, Label12;

 private:
  Shell& shell_;
};

}  // namespace dw::ui
