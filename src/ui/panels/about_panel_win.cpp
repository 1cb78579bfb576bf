#include "ui/panels/about_panel_win.h"

#include <atomic>
#include <utility>

#include "install/installation.h"
#include "platform/threads.h"
#include "text/texts.h"
#include "ui/dialogs/msg_layout.h"
#include "ui/dialogs/msg_win.h"
#include "ui/panels/about.h"

namespace dw::ui {
namespace {

constexpr int kLeft = 20;
constexpr int kWidth = 460;
constexpr int kLine = 13;  // one line of the panels' font
constexpr int kKindError = 1;  // the message box's error kind

}  // namespace

// Shared by the panel and the worker: either may go first (the program may
// close while the report is written).
struct AboutPanel::ReportJob {
  bool (*write)(const Environment&, const std::string&) = nullptr;
  std::shared_ptr<const Environment> environment;
  std::string path;
  HWND panel = nullptr;
  std::atomic<bool> written{false};
};

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
  // Beside the mail link: the back link takes the line below.
  reportLink = AddText(hwnd(), {kLeft + 240, y, 220, kLine + 2}, Text(TextId::AboutReportLink),
                       TextStyle::Link);
  backLink = AddText(hwnd(), {10, 231, 200, 16}, Text(TextId::PanelReturn), TextStyle::Link);

  // Links open on a double-click only; a single click does nothing.
  OnLinkDoubleClick(webLink.hwnd(), [this] { shell_.Open(std::string(kWebSiteAddress)); });
  OnLinkDoubleClick(mailLink.hwnd(), [this] { shell_.Open(MailLinkTarget()); });
  // An action rather than an address: one click, as the back link.
  OnLinkClick(reportLink.hwnd(), [this] { MakeSupportReport(); });
  OnLinkClick(backLink.hwnd(), [this] {
    if (onReturn) onReturn();
  });
}

void AboutPanel::SetVersion(std::string_view programVersion) {
  versionText.SetText(AboutVersionText(programVersion));
}

bool AboutPanel::ReportRunning() const { return report_ != nullptr; }

void AboutPanel::MakeSupportReport() {
  if (!writeReport || !reportEnvironment || report_) return;
  const std::string path =
      SupportReportPath(shell_.SpecialFolderPath(install::kCsidlDesktopDirectory), MakeSystemClock()->Now());
  if (path.empty()) {
    Tell(ReportNotWrittenText(path));
    return;
  }
  auto job = std::make_shared<ReportJob>();
  job->write = writeReport;
  job->environment = reportEnvironment;
  job->path = path;
  job->panel = hwnd();
  report_ = job;
  // Detached: the panel never waits for it; a closed panel's window simply
  // gets no message.
  dw::Thread([job] {
    bool written = false;
    try {
      written = job->write(*job->environment, job->path);
    } catch (...) {
    }
    job->written.store(written);
    PostMessageA(job->panel, kMsgReportDone, 0, 0);
  }).detach();
}

bool AboutPanel::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (message != kMsgReportDone) return PanelContent::OnMessage(message, wparam, lparam, result);
  result = 0;
  const std::shared_ptr<ReportJob> job = std::move(report_);
  if (!job) return true;
  if (!job->written.load()) {
    Tell(ReportNotWrittenText(job->path));
  } else if (!shell_.Open(job->path)) {
    Tell(ReportNotOpenedText(job->path));
  }
  return true;
}

void AboutPanel::Tell(const std::string& cp1251) {
  if (tell) {
    tell(cp1251);
  } else {
    ShowMsg(cp1251, kKindError, {kMsgOk});
  }
}

}  // namespace dw::ui
