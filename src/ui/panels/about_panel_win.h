// The about panel's content: heading picture, product text with
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

class AboutPanel final : public PanelContent {
 public:
  static constexpr const char* kClassName = "DialwaveAboutPanel";

  // A child of `parent` (the main window's panel) at `b` (normally
  // {0, 0, 500, 265}); `resources` holds HEADING_ABOUT; the links open
  // through `shell`, which must outlive the panel.
  AboutPanel(HWND parent, const Bounds& b, HMODULE resources, Shell& shell);
  bool Created() const { return hwnd() != nullptr; }

  // versionText := "Версия: " + version.
  void SetVersion(std::string_view programVersion);

  std::function<void()> onReturn;  // "<  Вернуться в программу"

  PictureBox heading;
  Label productText, versionText, noticeText, questionsText, webLink, mailLink, backLink;

 private:
  Shell& shell_;
};

}  // namespace dw::ui
