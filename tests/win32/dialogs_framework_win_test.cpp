// The window framework under the dialogs: anchors, timers, the owner-drawn
// list box, scroll bars, pop-up menus and the idle rhythm of the actions,
// all on real windows.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <string>
#include <vector>

#include "dialogs_support_win.h"
#include "ui/framework/actions.h"
#include "ui/framework/form_win.h"
#include "ui/framework/message_loop_win.h"
#include "ui/framework/popup_menu_win.h"

namespace dw::ui {
namespace {

class TestForm final : public Form {
 public:
  explicit TestForm(bool stayOnTop = false) {
    FormOptions options;
    options.className = "DwFrameworkTestForm";
    options.caption = "test";
    options.clientWidth = 300;
    options.clientHeight = 200;
    options.stayOnTop = stayOnTop;
    CreateForm(options);
  }
};

void ServeFor(DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    DrainMessages();
    IdleWait();
  }
}

TEST(Framework, AnchorsKeepMarginsWhenTheFormResizes) {
  TestForm form;
  Memo memo = form.AddMemo({8, 100, 280, 50}, COLOR_BTNFACE, kAnchorAll);
  Label corner = form.AddLabel({200, 10, 90, 13}, "x", kAnchorTopRight);
  Label fixed = form.AddLabel({10, 10, 50, 13}, "y");
  const Bounds before = form.GetBounds();
  form.SetHeight(before.height + 50);
  form.SetWidth(before.width + 20);
  EXPECT_EQ(memo.GetBounds(), (Bounds{8, 100, 300, 100}));
  EXPECT_EQ(corner.GetBounds(), (Bounds{220, 10, 90, 13}));
  EXPECT_EQ(fixed.GetBounds(), (Bounds{10, 10, 50, 13}));
  // A control moved by the program keeps its new margins from then on.
  form.SetControlBounds(corner, {100, 10, 90, 13});
  form.SetWidth(before.width);
  EXPECT_EQ(corner.GetBounds(), (Bounds{80, 10, 90, 13}));
}

TEST(Framework, TimersTickUntilStopped) {
  TestForm form;
  int ticks = 0;
  const UINT_PTR id = form.StartTimer(20, [&] { ++ticks; });
  ASSERT_NE(id, 0u);
  ServeFor(300);
  EXPECT_GE(ticks, 2);
  form.StopTimer(id);
  const int stopped = ticks;
  ServeFor(150);
  EXPECT_EQ(ticks, stopped);
}

TEST(Framework, OwnerDrawnListBoxDrawsItsItemsAtTheFixedHeight) {
  TestForm form;
  std::vector<UINT> drawn;
  int doubleClicks = 0;
  ListBox list = form.AddOwnerDrawnListBox(
      {10, 10, 200, 100}, 17,
      [&](const DRAWITEMSTRUCT& d) {
        if (d.itemID == static_cast<UINT>(-1)) return;
        drawn.push_back(d.itemID);
        EXPECT_EQ(d.rcItem.bottom - d.rcItem.top, 17);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(d.hDC, &d.rcItem, red);
        DeleteObject(red);
      },
      [&] { ++doubleClicks; });
  list.Add("\xCC\xEE\xE4\xE5\xEC 1");  // "Модем 1"
  list.Add("Modem 2");
  list.Add("Modem 3");
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Item(0), "\xCC\xEE\xE4\xE5\xEC 1");
  EXPECT_EQ(SendMessageW(list.hwnd(), LB_GETITEMHEIGHT, 0, 0), 17);
  EXPECT_EQ(list.ItemAt(5, 17 + 5), 1);
  EXPECT_EQ(list.ItemAt(5, 90), -1) << "below the last item";
  EXPECT_EQ(list.Selected(), -1);
  list.Select(2);
  EXPECT_EQ(list.Selected(), 2);

  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 100);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(list.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  EXPECT_EQ(GetPixel(dc, 5, 17 * 2 + 8) & 0xFFFFFF, RGB(255, 0, 0));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  EXPECT_EQ(drawn, (std::vector<UINT>{0, 1, 2}));

  SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(list.Id(), LBN_DBLCLK),
               reinterpret_cast<LPARAM>(list.hwnd()));
  SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(list.Id(), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list.hwnd()));
  EXPECT_EQ(doubleClicks, 1);
}

TEST(Framework, ScrollBarStepsAndStopsAtTheLastPage) {
  TestForm form;
  int changes = 0;
  ScrollBar bar = form.AddScrollBar({280, 0, 17, 174}, 1155, 170, 10, 150, [&] { ++changes; });
  auto press = [&](int request) {
    SendMessageW(form.hwnd(), WM_VSCROLL, MAKEWPARAM(request, 0), reinterpret_cast<LPARAM>(bar.hwnd()));
  };
  press(SB_LINEDOWN);
  EXPECT_EQ(bar.Position(), 10);
  press(SB_PAGEDOWN);
  EXPECT_EQ(bar.Position(), 160);
  press(SB_BOTTOM);
  EXPECT_EQ(bar.Position(), 1155 - 170 + 1);
  EXPECT_EQ(changes, 3);
  press(SB_LINEDOWN);
  EXPECT_EQ(bar.Position(), 986);
  EXPECT_EQ(changes, 3) << "no change, no event";
  press(SB_PAGEUP);
  press(SB_TOP);
  EXPECT_EQ(bar.Position(), 0);
}

void CALLBACK DismissMenu(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  EndMenu();
}

HWND g_menuOwner = nullptr;
void CALLBACK ChooseSecond(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  PostMessageW(g_menuOwner, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(g_menuOwner, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(g_menuOwner, WM_KEYDOWN, VK_RETURN, 0);
}

TEST(Framework, PopupMenuReturnsTheChoiceOrMinusOne) {
  const std::vector<MenuItem> items = {{"\xCE\xF2\xEA\xF0\xFB\xF2\xFC", true, true},  // "Открыть"
                                       {"", true, false},
                                       {"Exit", true, false},
                                       {"Off", false, false}};
  UniqueMenu built = BuildPopupMenu(items);
  ASSERT_TRUE(built);
  EXPECT_EQ(GetMenuItemCount(built.get()), 4);
  EXPECT_EQ(GetMenuDefaultItem(built.get(), FALSE, 0), 1u);
  EXPECT_NE(GetMenuState(built.get(), 4, MF_BYCOMMAND) & MF_GRAYED, 0u);
  wchar_t caption[32] = {};
  GetMenuStringW(built.get(), 1, caption, 32, MF_BYCOMMAND);
  EXPECT_EQ(Narrow(caption), items[0].caption);

  TestForm form;
  form.Show();
  SetTimer(nullptr, 0, 100, DismissMenu);
  EXPECT_EQ(ShowPopupMenu(form.hwnd(), items, 50, 50), -1);
  g_menuOwner = form.hwnd();
  SetTimer(nullptr, 0, 100, ChooseSecond);
  // Down twice from nothing: the first item, then past the separator.
  EXPECT_EQ(ShowPopupMenu(form.hwnd(), items, 50, 50), 2);
}

TEST(Framework, IdleRhythmUpdatesActionsAlsoDuringAModalShow) {
  ActionList list;
  int updates = 0;
  list.SetOnUpdate([&] { ++updates; });
  ServeFor(600);
  EXPECT_GE(updates, 2) << "the rhythm goes on with an empty queue";

  TestForm form;
  int duringModal = 0;
  test::RunInsideLoop(
      [&] {
        duringModal = updates;
        form.SetModalResult(1);
      },
      400);
  updates = 0;
  EXPECT_EQ(form.ShowModal(), 1);
  EXPECT_GE(duringModal, 1);
}

// A question closed over the main window: the main window is active again,
// not the window the system would pick, the next one down the order (here a
// window always on top, as another program's can be).
TEST(Framework, AModalShowGivesTheActivationBackToTheWindowThatHadIt) {
  TestForm main;
  main.Show();
  SetForegroundWindow(main.hwnd());
  SetActiveWindow(main.hwnd());
  ASSERT_EQ(GetActiveWindow(), main.hwnd());
  const HWND onTop = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"on top", WS_POPUP, 0, 0, 80, 40,
                                     nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(onTop, nullptr);
  ShowWindow(onTop, SW_SHOWNA);
  ASSERT_EQ(GetActiveWindow(), main.hwnd()) << "a window shown without activating it";

  TestForm question(true);
  HWND activeDuring = nullptr;
  test::RunInsideLoop(
      [&] {
        activeDuring = GetActiveWindow();
        question.SetModalResult(1);
      },
      200);
  EXPECT_EQ(question.ShowModal(), 1);
  EXPECT_EQ(activeDuring, question.hwnd());
  EXPECT_EQ(GetActiveWindow(), main.hwnd());
  EXPECT_TRUE(IsWindowEnabled(onTop));
  DestroyWindow(onTop);
}

}  // namespace
}  // namespace dw::ui
