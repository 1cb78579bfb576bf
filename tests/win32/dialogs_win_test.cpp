// The message box and the connection-break question as real windows: their
// controls read back from the system, and their modal loops driven by the
// same clicks and title-bar closes a user gives.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <algorithm>
#include <string>
#include <vector>

#include "dialogs_support_win.h"
#include "text/texts.h"
#include "ui/dialogs/msg_win.h"

namespace dw::ui {
namespace {

using test::ChildInfo;
using test::ChildrenOfKind;
using test::RunInsideLoop;

struct Seen {
  std::string title;
  RECT window{};
  std::vector<ChildInfo> buttons;
  std::vector<ChildInfo> icons;  // visible ones
  std::vector<ChildInfo> labels;
  HICON icon = nullptr;
  LONG_PTR exStyle = 0;
  HWND focus = nullptr;
  std::vector<std::string> tabOrder;  // captions, from the first tab stop
};

Seen Look(HWND form) {
  Seen s;
  s.title = test::WindowText(form);
  s.window = test::WindowBounds(form);
  s.buttons = ChildrenOfKind(form, L"Button", true);
  std::sort(s.buttons.begin(), s.buttons.end(),
            [](const ChildInfo& a, const ChildInfo& b) { return a.bounds.left < b.bounds.left; });
  s.exStyle = GetWindowLongPtrW(form, GWL_EXSTYLE);
  s.focus = GetFocus();
  HWND first = GetNextDlgTabItem(form, nullptr, FALSE);
  for (HWND w = first; w != nullptr && s.tabOrder.size() < 10;) {
    s.tabOrder.push_back(test::WindowText(w));
    w = GetNextDlgTabItem(form, w, FALSE);
    if (w == first) break;
  }
  for (const ChildInfo& c : ChildrenOfKind(form, L"Static", false)) {
    const bool isIcon = (GetWindowLongPtrW(c.hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
    if (!isIcon) {
      s.labels.push_back(c);
    } else if (c.visible) {
      s.icons.push_back(c);
      s.icon = reinterpret_cast<HICON>(SendMessageW(c.hwnd, STM_GETICON, 0, 0));
    }
  }
  return s;
}

// The height of a text wrapped at `width` in the forms' font (the form is
// gone by the time its children are checked).
int WrappedHeight(const std::string& cp1251, int width) {
  HDC dc = GetDC(nullptr);
  HFONT font = CreateFontA(-MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE,
                           FALSE, FALSE, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
  HGDIOBJ old = SelectObject(dc, font);
  const std::wstring text = Wide(cp1251);
  RECT r{0, 0, width, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  return r.bottom;
}

// Shows the box, looks at it from inside its modal loop, then clicks the
// button captioned `press` (or closes it from the title bar when empty).
int ShowAndAnswer(const std::string& text, int kind, std::initializer_list<int> codes,
                  const std::string& press, Seen& seen) {
  RunInsideLoop([&] {
    HWND form = test::FindForm(MessageDialog::kClassName);
    ASSERT_NE(form, nullptr);
    seen = Look(form);
    for (const ChildInfo& b : seen.buttons) {
      if (!press.empty() && b.text == press) {
        SendMessageW(b.hwnd, BM_CLICK, 0, 0);
        return;
      }
    }
    SendMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  return ShowMsg(text, kind, codes);
}

TEST(ShowMsg, ShortErrorHasOneOkButtonAt112InA300PixelBox) {
  Seen seen;
  EXPECT_EQ(ShowAndAnswer("Modem error", 1, {kMsgOk}, Text(TextId::ButtonOk), seen), kResultOk);
  EXPECT_EQ(seen.title, Text(TextId::MsgTitleError));
  EXPECT_EQ(seen.window.right - seen.window.left, 300);
  ASSERT_EQ(seen.buttons.size(), 1u);
  EXPECT_EQ(seen.buttons[0].text, "\xCE\xCA");
  EXPECT_EQ(seen.buttons[0].bounds.left, 112);
  EXPECT_EQ(seen.buttons[0].bounds.top, 56);
  EXPECT_EQ(seen.buttons[0].width(), 75);
  EXPECT_EQ(seen.buttons[0].height(), 25);
  ASSERT_EQ(seen.labels.size(), 1u);
  EXPECT_EQ(seen.labels[0].text, "Modem error");
  EXPECT_EQ(seen.labels[0].bounds.left, 60);
  EXPECT_EQ(seen.labels[0].bounds.top, 16);
  EXPECT_EQ(seen.labels[0].width(), 224);
  ASSERT_EQ(seen.icons.size(), 1u) << "exactly one of the four icons shows";
  EXPECT_EQ(seen.icon, LoadIconW(nullptr, IDI_ERROR));
  EXPECT_EQ(seen.icons[0].bounds.left, 16);
  EXPECT_EQ(seen.icons[0].width(), 32);
  EXPECT_EQ(test::FindForm(MessageDialog::kClassName), nullptr) << "released before returning";
}

TEST(ShowMsg, ConfirmationRowOfThreeAndEachAnswer) {
  // "Соединение с Интернетом открыто. Закрыть его?" is the main window's
  // question; any short text gives the same row.
  const std::string question = "Close?";
  const std::initializer_list<int> codes = {kMsgYes, kMsgNo, kMsgCancel};
  Seen seen;
  EXPECT_EQ(ShowAndAnswer(question, 3, codes, Text(TextId::ButtonNo), seen), kResultNo);
  EXPECT_EQ(seen.title, Text(TextId::MsgTitleConfirm));
  EXPECT_EQ(seen.icon, LoadIconW(nullptr, IDI_QUESTION));
  ASSERT_EQ(seen.buttons.size(), 3u);
  const int lefts[] = {32, 112, 192};
  const TextId captions[] = {TextId::ButtonYes, TextId::ButtonNo, TextId::ButtonCancel};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(seen.buttons[i].bounds.left, lefts[i]) << i;
    EXPECT_EQ(seen.buttons[i].text, Text(captions[i])) << i;
  }
  EXPECT_EQ(seen.tabOrder, (std::vector<std::string>{Text(TextId::ButtonYes), Text(TextId::ButtonNo),
                                                       Text(TextId::ButtonCancel)}))
      << "Tab goes along the row";
  EXPECT_EQ(seen.focus, seen.buttons[0].hwnd) << "the first button has the focus";
  EXPECT_EQ(ShowAndAnswer(question, 3, codes, Text(TextId::ButtonYes), seen), kResultYes);
  EXPECT_EQ(ShowAndAnswer(question, 3, codes, Text(TextId::ButtonCancel), seen), kResultCancel);
  EXPECT_EQ(ShowAndAnswer(question, 3, codes, "", seen), kResultCancel) << "title-bar close";
}

TEST(ShowMsg, KindsPickTitleAndIcon) {
  struct Case {
    int kind;
    TextId title;
    const wchar_t* icon;
  } cases[] = {{0, TextId::MsgTitleWarning, IDI_WARNING},
               {2, TextId::MsgTitleInfo, IDI_INFORMATION},
               {9, TextId::MsgTitleInfo, IDI_INFORMATION}};
  for (const Case& c : cases) {
    Seen seen;
    EXPECT_EQ(ShowAndAnswer("x", c.kind, {kMsgOk}, "", seen), kResultCancel);
    EXPECT_EQ(seen.title, Text(c.title)) << c.kind;
    EXPECT_EQ(seen.icon, LoadIconW(nullptr, c.icon)) << c.kind;
  }
}

TEST(ShowMsg, LongTextWidensTheBoxBeyondTheScreenOnOneLine) {
  std::string text;
  for (int i = 0; i < 60; ++i) text += "\xD1\xEE\xE5\xE4\xE8\xED\xE5\xED\xE8\xE5 ";  // "Соединение "
  MessageDialog form(text, 1, std::vector<int>{kMsgOk});
  ASSERT_NE(form.hwnd(), nullptr);
  // The text's width in the label's own font, measured independently.
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(form.messageText.hwnd(), WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  HDC dc = GetDC(form.messageText.hwnd());
  HGDIOBJ old = SelectObject(dc, font);
  const std::wstring wide = Wide(text);
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(form.messageText.hwnd(), dc);

  const RECT r = test::WindowBounds(form.hwnd());
  EXPECT_EQ(r.right - r.left, size.cx + 80);
  EXPECT_GT(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(form.messageText.GetBounds().width, size.cx + 80 - 76);
  EXPECT_EQ(form.messageText.GetBounds().height, 13);
  EXPECT_NE(GetWindowLongPtrW(form.messageText.hwnd(), GWL_STYLE) & SS_LEFTNOWORDWRAP, 0);
  EXPECT_EQ(form.messageText.Text(), text);
  ASSERT_EQ(form.buttons.size(), 1u);
  EXPECT_EQ(form.buttons[0].GetBounds().x, HalveRoundingToEven(size.cx + 5)) << "centred";
}

TEST(ShowMsg, ModalShowDisablesTheThreadsOtherWindowsAndGivesThemBack) {
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  bool enabledInside = true;
  RunInsideLoop([&] {
    enabledInside = IsWindowEnabled(other) != FALSE;
    SendMessageW(test::FindForm(MessageDialog::kClassName), WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  ShowMsg("x", 2, {kMsgOk});
  EXPECT_FALSE(enabledInside);
  EXPECT_TRUE(IsWindowEnabled(other));
  DestroyWindow(other);
}

TEST(ShowMsg, AQuitRequestEndsTheBoxAndReachesTheOuterLoop) {
  RunInsideLoop([] { PostQuitMessage(3); });
  EXPECT_EQ(ShowMsg("x", 2, {kMsgOk}), kResultCancel);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
}

struct BreakSeen {
  Seen look;
  std::vector<ChildInfo> all;
  RECT client{};
  bool yesIsDefault = false;
  bool autoTicked = false;
};

const ChildInfo* ByText(const BreakSeen& seen, const std::string& text) {
  for (const ChildInfo& c : seen.all) {
    if (c.text == text) return &c;
  }
  return nullptr;
}

bool ShowBreakAndAnswer(const std::function<void(HWND form, BreakSeen&)>& answer, BreakSeen& seen) {
  RunInsideLoop([&] {
    HWND form = test::FindForm(ReconnectDialog::kClassName);
    ASSERT_NE(form, nullptr);
    seen.look = Look(form);
    seen.all = test::Children(form);
    GetClientRect(form, &seen.client);
    if (const ChildInfo* yes = ByText(seen, Text(TextId::ButtonYes))) {
      seen.yesIsDefault = (GetWindowLongPtrW(yes->hwnd, GWL_STYLE) & BS_DEFPUSHBUTTON) != 0;
    }
    if (const ChildInfo* check = ByText(seen, Text(TextId::ConnBreakAuto))) {
      seen.autoTicked = SendMessageW(check->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    answer(form, seen);
  });
  return AskToReconnect();
}

void Press(const BreakSeen& seen, TextId caption) {
  const ChildInfo* c = ByText(seen, Text(caption));
  ASSERT_NE(c, nullptr);
  SendMessageW(c->hwnd, BM_CLICK, 0, 0);
}

TEST(AskToReconnect, FixedLayoutAndYes) {
  BreakSeen seen;
  EXPECT_TRUE(ShowBreakAndAnswer([](HWND, BreakSeen& s) { Press(s, TextId::ButtonYes); }, seen));
  EXPECT_EQ(seen.look.title, Text(TextId::ConnBreakTitle));
  EXPECT_NE(seen.look.exStyle & WS_EX_TOPMOST, 0) << "stays on top";
  EXPECT_EQ(seen.client.right, 326);
  EXPECT_EQ(seen.client.bottom, 93);
  struct Want {
    TextId text;
    RECT r;
    bool visible;
  } wants[] = {
      {TextId::ButtonYes, {88, 55, 163, 80}, true},
      {TextId::ButtonNo, {168, 55, 243, 80}, true},
      {TextId::ConnBreakAuto, {248, 48, 281, 65}, false},
  };
  for (const Want& w : wants) {
    const ChildInfo* c = ByText(seen, Text(w.text));
    ASSERT_NE(c, nullptr) << TextUtf8(w.text);
    EXPECT_TRUE(EqualRect(&c->bounds, &w.r)) << TextUtf8(w.text) << " at " << c->bounds.left << ","
                                             << c->bounds.top << " " << c->width() << "x" << c->height();
    EXPECT_EQ(c->visible, w.visible) << TextUtf8(w.text);
  }
  // The wrapped question shows whole: taller than one line, above the buttons.
  const ChildInfo* question = ByText(seen, Text(TextId::ConnBreakQuestion));
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(question->bounds.left, 56);
  EXPECT_EQ(question->bounds.top, 16);
  EXPECT_EQ(question->width(), 255);
  // As tall as its lines at its width: one in the real MS Sans Serif of a
  // Russian system, two in the wider stand-in Wine gives other locales.
  EXPECT_GE(question->height(), WrappedHeight(Text(TextId::ConnBreakQuestion), 255));
  EXPECT_LE(question->bounds.bottom, 55);
  EXPECT_EQ(GetWindowLongPtrW(question->hwnd, GWL_STYLE) & SS_LEFTNOWORDWRAP, 0);
  const ChildInfo* yes = ByText(seen, Text(TextId::ButtonYes));
  EXPECT_EQ(seen.look.focus, yes->hwnd) << "the focus starts on \"Да\"";
  EXPECT_TRUE(seen.yesIsDefault);
  EXPECT_TRUE(seen.autoTicked);
  ASSERT_EQ(seen.look.icons.size(), 1u);
  EXPECT_EQ(seen.look.icons[0].bounds.left, 8);
  EXPECT_EQ(seen.look.icons[0].bounds.top, 21);
  EXPECT_EQ(seen.look.icons[0].width(), 41);
  EXPECT_NE(seen.look.icon, nullptr);
}

TEST(AskToReconnect, NoAndTitleBarCloseBothMeanNo) {
  BreakSeen seen;
  EXPECT_FALSE(ShowBreakAndAnswer([](HWND, BreakSeen& s) { Press(s, TextId::ButtonNo); }, seen));
  EXPECT_FALSE(ShowBreakAndAnswer(
      [](HWND form, BreakSeen&) { SendMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0); }, seen));
  EXPECT_EQ(test::FindForm(ReconnectDialog::kClassName), nullptr);
}

TEST(AskToReconnect, EnterAnswersYesAndEscapeDoesNothing) {
  BreakSeen seen;
  EXPECT_TRUE(ShowBreakAndAnswer(
      [](HWND form, BreakSeen&) {
        // Escape first: no button cancels this box, so it must stay open.
        HWND focus = GetFocus();
        PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 0);
        (void)form;
      },
      seen));
}

}  // namespace
}  // namespace dw::ui
