// The dialogs as a user sees them. With DW_SCREEN_HOLD
// (tests/win32/dialogs_screen.sh under Xvfb) each is held on the screen for
// a screenshot, and the modal questions are answered there by the pointer.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "dialogs_support_win.h"
#include "text/cp1251.h"
#include "text/texts.h"
#include "ui/dialogs/msg_win.h"
#include "ui/dialogs/progress_win.h"
#include "platform/message_numbers.h"
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
  ProgressDialog form(nullptr, lock);
  form.ShowDialling(kSearching);
  form.SetStatusSource([] { return kModem; });
  for (int i = 0; i < 20; ++i) SendMessageW(form.hwnd(), kMsgProgressStep, 1, 0);
  EXPECT_EQ(form.bar.Position(), 200);
  EXPECT_EQ(form.statusLine.Text(), kModem);
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
    ProgressDialog form(nullptr, lock);
    form.ShowDialling(kSearching);
    form.Shared().SetErrorText(r.errorText);
    form.EnterErrorReport(r.caption);
    form.Show();
    if (r.openDetails) form.detailsButton.Click();
    EXPECT_EQ(form.detailsPane.Visible(), r.openDetails) << r.shot;
    test::HoldForScreenshot(r.shot, form.hwnd());
  }
}

// What a modal box showed while it was up, and which button ended it.
struct Answered {
  std::string title;
  std::vector<test::ChildInfo> children;
  std::vector<test::ChildInfo> buttons;  // visible ones, left to right
};

const char* g_abandonClass = nullptr;

// A script that never answers: the box is closed after a minute, as from
// its title bar, and the answer then is not the one the test expects.
void CALLBACK CloseAbandoned(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (HWND form = test::FindForm(g_abandonClass)) PostMessageW(form, WM_CLOSE, 0, 0);
}

// Once the modal box of `className` is up: records what it shows; then,
// with DW_SCREEN_HOLD=PATH, writes PATH.NAME.ready (the box's screen
// rectangle, "left top width height") for tests/win32/dialogs_screen.sh,
// which reads it from outside and clicks `answer` with the pointer; without
// it, presses `answer` itself.
void AnswerWhenShown(const char* name, const char* className, const std::string& answer,
                     Answered& seen) {
  test::RunInsideLoop([=, &seen] {
    HWND form = test::FindForm(className);
    ASSERT_NE(form, nullptr) << className << " is not up";
    seen.title = test::WindowText(form);
    seen.children = test::Children(form);
    for (const test::ChildInfo& c : seen.children) {
      if (c.visible && lstrcmpiW(c.kind.c_str(), L"Button") == 0) seen.buttons.push_back(c);
    }
    std::sort(seen.buttons.begin(), seen.buttons.end(),
              [](const test::ChildInfo& a, const test::ChildInfo& b) { return a.bounds.left < b.bounds.left; });
    char hold[MAX_PATH] = {};
    if (GetEnvironmentVariableA("DW_SCREEN_HOLD", hold, MAX_PATH) == 0) {
      for (const test::ChildInfo& b : seen.buttons) {
        if (b.text == answer) PostMessageW(b.hwnd, BM_CLICK, 0, 0);
      }
      return;
    }
    UpdateWindow(form);
    const RECT r = test::WindowBounds(form);
    std::ofstream(std::string(hold) + "." + name + ".ready")
        << r.left << " " << r.top << " " << r.right - r.left << " " << r.bottom - r.top << "\n";
    g_abandonClass = className;
    SetTimer(nullptr, 0, 60000, CloseAbandoned);
  });
}

bool ShowsStatic(const Answered& seen, const std::string& text) {
  return std::any_of(seen.children.begin(), seen.children.end(), [&](const test::ChildInfo& c) {
    return c.visible && lstrcmpiW(c.kind.c_str(), L"Static") == 0 && c.text == text;
  });
}

std::vector<std::string> Captions(const Answered& seen) {
  std::vector<std::string> captions;
  for (const test::ChildInfo& b : seen.buttons) captions.push_back(Cp1251ToUtf8(b.text));
  return captions;
}

// The question on closing while connected, answered "Нет", and the question
// on a dropped line, answered "Да": each answer reaches its caller.
TEST(DialogsOnScreen, MessageBoxAndConnectionBreak) {
  const std::string question = Utf8ToCp1251("Соединение с Интернетом открыто. Закрыть его?");
  Answered box;
  AnswerWhenShown("msg-confirm", MessageDialog::kClassName, Utf8ToCp1251("Нет"), box);
  EXPECT_EQ(ShowMsg(question, 3, {kMsgYes, kMsgNo, kMsgCancel}), kResultNo);
  EXPECT_EQ(Cp1251ToUtf8(box.title), "Подтвердите");
  EXPECT_TRUE(ShowsStatic(box, question));
  EXPECT_EQ(Captions(box), (std::vector<std::string>{"Да", "Нет", "Отменить"}));
  EXPECT_EQ(test::FindForm(MessageDialog::kClassName), nullptr)
      << "the box stayed after the answer";

  Answered drop;
  AnswerWhenShown("conn-break", ReconnectDialog::kClassName, Utf8ToCp1251("Да"), drop);
  EXPECT_TRUE(AskToReconnect()) << "\"Да\" did not come back as yes";
  EXPECT_EQ(Cp1251ToUtf8(drop.title), "Соединение прервано");
  EXPECT_TRUE(ShowsStatic(drop, Utf8ToCp1251("Соединение с Интернет прервано. Восстановить?")));
  EXPECT_EQ(Captions(drop), (std::vector<std::string>{"Да", "Нет"})) << "the check box must stay hidden";
  EXPECT_EQ(test::FindForm(ReconnectDialog::kClassName), nullptr)
      << "the question stayed after the answer";
}

}  // namespace
}  // namespace dw::ui
