// The about panel's content: heading picture, product text with
// the version, the maker's notice and customer-service number, the web-site
// and mail links (opened by a double-click), the support report's link, and
// the back link.
#pragma once

#include "platform/win32/win.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/environment.h"
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
  // Writes the support report to the file `path` (ANSI code page); false
  // when it could not. Runs on a worker thread of its own, so it may take
  // its time and must make what else it uses. Either unset: the report
  // link does nothing.
  bool (*writeReport)(const Environment& environment, const std::string& path) = nullptr;
  std::shared_ptr<const Environment> reportEnvironment;  // shared with the worker
  // Tells the user that the report failed (code page 1251); unset: the
  // program's message box.
  void (*tell)(const std::string& cp1251) = nullptr;

  // The report link's click: the report goes to the desktop on a worker and
  // is opened once written. A click while one is being written is ignored.
  void MakeSupportReport();
  bool ReportRunning() const;

  PictureBox heading;
  Label productText, versionText, noticeText, questionsText, webLink, mailLink, reportLink, backLink;

  // Posted to the panel by the report's worker when it has ended.
  static constexpr UINT kMsgReportDone = WM_APP + 0x51;

  struct ReportJob;

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  void Tell(const std::string& cp1251);

  Shell& shell_;
  std::shared_ptr<ReportJob> report_;  // the one being written
};

}  // namespace dw::ui
