#include "ui/panels/about_panel_win.h"

#include "text/texts.h"
#include "ui/panels/about.h"

namespace dw::ui {
namespace {

constexpr int kLeft = 20;
constexpr int kWidth = 460;
constexpr int kLine = 13;  // one line of the panels' font

}  // namespace

AboutPanel::AboutPanel(HWND parent, const Bounds& b, HMODULE resources, Shell& shell)
    : shell_(shell) {
  if (!CreateContent(kClassName, parent, b)) return;
  heading.Create(hwnd(), {10, 4, 300, 24});
  if (resources != nullptr) heading.LoadGif(resources, "HEADING_ABOUT");

  const std::string product = AboutProductText();
  const int productTop = 44;
  productText =
      AddText(hwnd(), {kLeft, productTop, kWidth, TextHeight(product, kWidth, TextStyle::Normal)},
              product, TextStyle::Normal);
  // In the two empty lines under the name.
  versionText = AddText(hwnd(), {kLeft, productTop + kLine + kLine / 2, kWidth, kLine},
                        AboutVersionText(""), TextStyle::Normal);
  versionText.BringToFront();  // the product text must not paint over it
  int y = productText.GetBounds().y + productText.GetBounds().height + 2 * kLine;
  const std::string notice = AboutNoticeText();
  noticeText = AddText(hwnd(), {kLeft, y, kWidth, 2 * kLine + 2}, notice, TextStyle::Normal);
  y += 2 * kLine + 2 + kLine;
  questionsText = AddText(hwnd(), {kLeft, y, kWidth, kLine + 2}, Text(TextId::AboutQuestions),
                          TextStyle::Normal);
  y += kLine + 4;
  webLink = AddText(hwnd(), {kLeft, y, 200, kLine + 2}, kWebSiteText, TextStyle::Link);
  y += kLine + 3;
  mailLink = AddText(hwnd(), {kLeft, y, 200, kLine + 2}, kSupportMail, TextStyle::Link);
  backLink = AddText(hwnd(), {10, 231, 200, 16}, Text(TextId::PanelReturn), TextStyle::Link);

  // Links open on a double-click only; a single click does nothing.
  OnLinkDoubleClick(webLink.hwnd(), [this] { shell_.Open(std::string(kWebSiteAddress)); });
  OnLinkDoubleClick(mailLink.hwnd(), [this] { shell_.Open(MailLinkTarget()); });
  OnLinkClick(backLink.hwnd(), [this] {
    if (onReturn) onReturn();
  });
}

void AboutPanel::SetVersion(std::string_view programVersion) {
  versionText.SetText(AboutVersionText(programVersion));
}

}  // namespace dw::ui
