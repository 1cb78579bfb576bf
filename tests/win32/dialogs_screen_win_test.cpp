// The dialogs as a user sees them. Headless these only check that each one
// comes up; with DW_SCREEN_HOLD (tests/win32/dialogs_screen.sh under Xvfb)
// each is held on the screen for a screenshot.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <mutex>
#include <string>

#include "dialogs_support_win.h"
#include "text/cp1251.h"
#include "text/texts.h"
#include "ui/dialogs/msg_win.h"
#include "ui/dialogs/progress_win.h"
#include "ui/messages.h"
#include "platform/threads.h"

namespace dw::ui {
namespace {

// The driver's captions, as the open-connection driver will set them.
const std::string kSearching = Utf8ToCp1251("Поиск активных соединений...");
const std::string kModem = Utf8ToCp1251("Соединение с модемом...");
const std::string kCode691 = Utf8ToCp1251("Ошибка при соединении. Код 691");
const std::string kUnavailable = Utf8ToCp1251("Ошибка. Услуга недоступна");
const std::string kNoCode = Utf8ToCp1251("Ошибка при соединении.");
const std::string k691Text =
    "Access was denied because the username and/or password was invalid on the domain.\r\n"
    "Check the user name and password of the connection.";

TEST(DialogsOnScreen, ProgressWhileDialling) {
  dw::Mutex lock;
  TfrmProgress form(nullptr, lock);
  form.ShowDialling(kSearching);
  form.SetStatusSource([] { return kModem; });
  for (int i = 0; i < 20; ++i) SendMessageW(form.hwnd(), kMsgProgressStep, 1, 0);
  EXPECT_EQ(form.bar.Position(), 200);
  EXPECT_EQ(form.lblProgress.Text(), kModem);
  test::HoldForScreenshot("progress-dialling", form.hwnd());
}

TEST(DialogsOnScreen, ProgressReports) {
  struct Report {
    const char* shot;
    const std::string& caption;
    std::string errorText;
    bool openDetails;
  } reports[] = {{"progress-error-691", kCode691, k691Text, true},
                 {"progress-error-734", kUnavailable, "", false},
                 {"progress-error-none", kNoCode, "", false}};
  for (const Report& r : reports) {
    dw::Mutex lock;
    TfrmProgress form(nullptr, lock);
    form.ShowDialling(kSearching);
    form.Shared().SetErrorText(r.errorText);
    form.EnterErrorReport(r.caption);
    form.Show();
    if (r.openDetails) form.btnDetail.Click();
    EXPECT_EQ(form.mDetails.Visible(), r.openDetails) << r.shot;
    test::HoldForScreenshot(r.shot, form.hwnd());
  }
}

TEST(DialogsOnScreen, MessageBoxAndConnectionBreak) {
  const int codes[] = {kMsgYes, kMsgNo, kMsgCancel};
  TfrmMsg question(Utf8ToCp1251("Соединение с Интернетом открыто. Закрыть его?"), 3, codes);
  ASSERT_NE(question.hwnd(), nullptr);
  question.Show();
  test::HoldForScreenshot("msg-confirm", question.hwnd());
  question.Hide();

  TfrmConnBreak connBreak(nullptr);
  ASSERT_NE(connBreak.hwnd(), nullptr);
  connBreak.Show();
  test::HoldForScreenshot("conn-break", connBreak.hwnd());
}

}  // namespace
}  // namespace dw::ui
