// The real MainWindow on fake connection services and an in-memory
// settings store: its controls read back (captions, places, visibility,
// enabling) stage by stage, the worker messages reach the controller through
// the window, and the notification-area icon comes and goes.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <shellapi.h>

#include "crypto/encrypt.h"
#include "platform/win32/user_api_win.h"
#include "platform/win32/wide.h"
#include "ui/main_window_win.h"
#include "platform/message_numbers.h"
#include "unit/ui/main_fakes.h"

namespace dw::ui {
namespace {

using test::FakeServices;

std::string TextOf(HWND w) {
  wchar_t text[512] = {};
  GetWindowTextW(w, text, 512);
  return Cp1251ToUtf8(Narrow(text));
}

bool Shown(HWND w) { return (GetWindowLongPtrW(w, GWL_STYLE) & WS_VISIBLE) != 0; }

// Place in the main window's client area.
RECT PlaceOf(HWND w, HWND main) {
  RECT r{};
  GetWindowRect(w, &r);
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void Make() {
    registry.SetText(kSettingsRoot, kSettingsKeyPath, "Dummy", "");  // the key exists
    auto environment = std::make_shared<FixedEnvironment>();
    environment->executablePath = "C:\\Program Files\\Dialwave\\dialwave.exe";
    window = std::make_unique<MainWindow>(
        MainWindow::Setup{environment, &services, [this] { return ++installs, true; }, &registry});
    ASSERT_TRUE(window->Create());
    services.controller = &window->controller();
    window->Prepare();
    main = window->hwnd();
  }

  MemoryRegistry registry;
  FakeServices services;
  std::unique_ptr<MainWindow> window;
  HWND main = nullptr;
  int installs = 0;
};

TEST_F(MainWindowTest, StagesReadBackFromTheRealControls) {
  Make();
  MainController& c = window->controller();
  // 500 x 360, the four panels at (0, 49), each 500 x 265.
  RECT client{};
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, 500);
  EXPECT_EQ(client.bottom, 360);
  for (Panel p : {Panel::Agreement, Panel::Settings, Panel::Main, Panel::About}) {
    const RECT r = PlaceOf(window->PanelWindowOf(p), main);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 49);
    EXPECT_EQ(r.right - r.left, 500);
    EXPECT_EQ(r.bottom - r.top, 265);
  }

  // A first start: the agreement, "Согласен" disabled.
  EXPECT_TRUE(Shown(window->PanelWindowOf(Panel::Agreement)));
  EXPECT_FALSE(Shown(window->PanelWindowOf(Panel::Main)));
  HWND agree = window->Hwnd(ViewControl::AgreeButton);
  EXPECT_EQ(TextOf(agree), "Согласен");
  EXPECT_FALSE(IsWindowEnabled(agree));
  EXPECT_TRUE(IsWindowEnabled(window->Hwnd(ViewControl::DisagreeButton)));
  EXPECT_EQ(TextOf(window->Hwnd(ViewControl::DisagreeButton)), "Не согласен");
  EXPECT_FALSE(Shown(window->Hwnd(ViewControl::AgreementBackLink)));
  EXPECT_FALSE(IsWindowEnabled(window->Hwnd(ViewControl::AboutLink)));

  // Scrolled to the end, the agreement can be accepted.
  SendMessageW(main, WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);  // not from the bar: ignored
  EXPECT_FALSE(IsWindowEnabled(agree));
  c.LeaveAgreement();
  EXPECT_TRUE(Shown(window->PanelWindowOf(Panel::Settings)));
  EXPECT_FALSE(Shown(window->PanelWindowOf(Panel::Agreement)));
  HWND next = window->Hwnd(ViewControl::NextButton);
  EXPECT_TRUE(Shown(next));
  EXPECT_EQ(TextOf(next), "Далее");
  EXPECT_FALSE(Shown(window->Hwnd(ViewControl::ChooseModemButton)));
  EXPECT_TRUE(Shown(window->Hwnd(ViewControl::CopyOption)));
  EXPECT_EQ(SendMessageW(window->Hwnd(ViewControl::DesktopOption), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(IsWindowEnabled(window->Hwnd(ViewControl::AgreementLink)));

  // "Далее" by its real button window: a press and a release.
  const RECT n = PlaceOf(next, main);
  SendMessageW(next, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 12));
  SendMessageW(next, WM_LBUTTONUP, 0, MAKELPARAM(40, 12));
  EXPECT_EQ(n.left, 395);
  EXPECT_EQ(installs, 1);
  EXPECT_EQ(c.CurrentStage(), kShowMain);
  EXPECT_TRUE(Shown(window->PanelWindowOf(Panel::Main)));
  HWND connect = window->Hwnd(ViewControl::ConnectButton);
  EXPECT_EQ(TextOf(connect), "Подключиться");
  const RECT r = PlaceOf(connect, main);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.top, 49 + 166);
  EXPECT_EQ(r.right - r.left, 193);
  EXPECT_EQ(r.bottom - r.top, 30);
  EXPECT_TRUE(IsWindowEnabled(connect));
  EXPECT_EQ(TextOf(window->Hwnd(ViewControl::ConnectionStatus)),
            "Соединение с GPRS не установлено");
  EXPECT_EQ(TextOf(window->Hwnd(ViewControl::ConnectionTime)), "0 часов 00 минут");
  EXPECT_TRUE(IsWindowEnabled(window->Hwnd(ViewControl::AboutLink)));

  // The service look, from the "Настройки" link's real window.
  SendMessageW(main, WM_COMMAND, MAKEWPARAM(0, STN_CLICKED),
               reinterpret_cast<LPARAM>(window->Hwnd(ViewControl::SettingsLink)));
  EXPECT_EQ(c.CurrentStage(), kShowService);
  EXPECT_TRUE(Shown(window->PanelWindowOf(Panel::Settings)));
  EXPECT_TRUE(Shown(window->Hwnd(ViewControl::ChooseModemButton)));
  EXPECT_FALSE(Shown(next));
  EXPECT_FALSE(Shown(window->Hwnd(ViewControl::CopyOption)));
  EXPECT_EQ(TextOf(window->Hwnd(ViewControl::ChooseModemButton)), "Выбрать");
  window->SelectModem(-1);
  c.UpdateControls();
  EXPECT_EQ(TextOf(window->Hwnd(ViewControl::ChooseModemButton)), "Назад");
  c.chooseModemAction().Execute();
  EXPECT_EQ(c.settings().ModemName, "Unknown");
  EXPECT_TRUE(Shown(window->PanelWindowOf(Panel::Main)));

  // About and back.
  c.OpenAbout();
  EXPECT_TRUE(Shown(window->PanelWindowOf(Panel::About)));
  EXPECT_EQ(TextOf(window->Hwnd(ViewControl::VersionText)).rfind("Версия: ", 0), 0u);
  c.ReturnFromAbout();
  EXPECT_TRUE(Shown(window->PanelWindowOf(Panel::Main)));
}

TEST_F(MainWindowTest, ModemListIsTheRealListBox) {
  services.devices = {"Korvana GPRS Modem", "\xCC\xEE\xE4\xE5\xEC"};  // "Модем"
  Make();
  EXPECT_EQ(window->ModemItems(), services.devices);
  EXPECT_EQ(window->SelectedModem(), 0);
}

// An installed start builds the main panel alone; what the controller sets
// on another panel meanwhile is there when that panel is first built.
// The tooltips this thread's windows own.
struct TooltipSearch {
  HWND owner;
  int found;
};

BOOL CALLBACK CountTooltip(HWND w, LPARAM p) {
  auto* search = reinterpret_cast<TooltipSearch*>(p);
  char kind[64] = {};
  GetClassNameA(w, kind, sizeof kind);
  if (lstrcmpiA(kind, "tooltips_class32") == 0 && GetWindow(w, GW_OWNER) == search->owner) {
    ++search->found;
  }
  return TRUE;
}

int TooltipsOwnedBy(HWND owner) {
  TooltipSearch search{owner, 0};
  EnumThreadWindows(GetCurrentThreadId(), CountTooltip, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST_F(MainWindowTest, AStartLoadsNoCommonControlsTheGraphsTooltipComesWithTheFirstSample) {
  registry.SetText(kSettingsRoot, kSettingsKeyPath, "StartStage", EncryptString("2"));
  ASSERT_EQ(GetModuleHandleA("comctl32.dll"), nullptr) << "the test itself loaded it";
  Make();
  window->ShowAtStart();
  EXPECT_TRUE(Shown(window->Hwnd(ViewControl::SpeedGraph)));
  EXPECT_EQ(GetModuleHandleA("comctl32.dll"), nullptr);
  EXPECT_EQ(TooltipsOwnedBy(main), 0);
  window->EnableGraphTooltip(false);  // the hint's turn: nothing to silence yet
  window->SetGraphTooltip("x");
  EXPECT_EQ(TooltipsOwnedBy(main), 0);

  window->EnableGraphTooltip(true);
  EXPECT_NE(GetModuleHandleA("comctl32.dll"), nullptr);
  EXPECT_EQ(TooltipsOwnedBy(main), 1);
  window->EnableGraphTooltip(true);  // one tooltip, however many samples
  EXPECT_EQ(TooltipsOwnedBy(main), 1);
}

TEST_F(MainWindowTest, TheMainPanelsFixedCaptionsArePaintedByThePanelItself) {
  registry.SetText(kSettingsRoot, kSettingsKeyPath, "StartStage", EncryptString("2"));
  Make();
  HWND panel = window->PanelWindowOf(Panel::Main);
  ASSERT_NE(panel, nullptr);
  int children = 0;
  for (HWND c = GetWindow(panel, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    ++children;
    EXPECT_NE(TextOf(c), "Принято:");
    EXPECT_NE(TextOf(c), "Скорость передачи");
  }
  EXPECT_GT(children, 5);
  // Printed, the panel has the caption's letters in its box and white beside.
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, 500, -300, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bitmap, nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageA(panel, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  const auto darkIn = [dc](int left, int top, int right, int bottom) {
    int dark = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) {
        const COLORREF c = GetPixel(dc, x, y);
        dark += GetRValue(c) + GetGValue(c) + GetBValue(c) < 300;
      }
    }
    return dark;
  };
  EXPECT_GT(darkIn(290, 58, 390, 72), 20) << "Принято:";
  EXPECT_GT(darkIn(20, 38, 210, 52), 20) << "Скорость передачи";
  EXPECT_EQ(darkIn(220, 60, 280, 72), 0) << "between the graph and the counters";
  EXPECT_EQ(GetPixel(dc, 385, 66), RGB(255, 255, 255)) << "the caption's white box";
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

TEST_F(MainWindowTest, OnlyTheShownPanelIsBuiltTheOthersGetWhatWasSetMeanwhile) {
  registry.SetText(kSettingsRoot, kSettingsKeyPath, "StartStage", EncryptString("2"));
  services.devices = {"Korvana GPRS Modem", "\xCC\xEE\xE4\xE5\xEC", "Third"};
  Make();
  EXPECT_TRUE(window->PanelBuilt(Panel::Main));
  for (Panel p : {Panel::Agreement, Panel::Settings, Panel::About, Panel::Usage}) {
    EXPECT_FALSE(window->PanelBuilt(p)) << static_cast<int>(p);
  }
  // The list is read when the settings open, not at an installed start.
  EXPECT_TRUE(window->ModemItems().empty());
  window->SetModemItems(services.devices);
  window->SelectModem(1);
  EXPECT_EQ(window->ModemItems(), services.devices);
  EXPECT_EQ(window->SelectedModem(), 1);
  window->SetModemItems({"A", "B"});  // a new list selects nothing, as the list box
  EXPECT_EQ(window->SelectedModem(), -1);
  window->SetModemItems(services.devices);
  window->SelectModem(2);
  window->SetCaption(ViewControl::ChooseModemButton, "\xC2\xFB\xE1\xF0\xE0\xF2\xFC");
  EXPECT_FALSE(window->PanelBuilt(Panel::Settings));

  // Any touch of a control builds its panel.
  window->SetVisible(ViewControl::CopyOption, false);
  EXPECT_TRUE(window->PanelBuilt(Panel::Settings));
  const ListBox& list = window->settingsPanel().modemList;
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Item(1), services.devices[1]);
  EXPECT_EQ(list.Selected(), 2);
  EXPECT_EQ(TextOf(window->Hwnd(ViewControl::ChooseModemButton)), "Выбрать");
  EXPECT_EQ(window->settingsPanel().chooseButton.caption, "\xC2\xFB\xE1\xF0\xE0\xF2\xFC");

  // The version, set at the start, waits for the about panel.
  EXPECT_FALSE(window->PanelBuilt(Panel::About));
  EXPECT_EQ(TextOf(window->Hwnd(ViewControl::VersionText)).rfind("Версия: ", 0), 0u);
  EXPECT_TRUE(window->PanelBuilt(Panel::About));
  // Shown for the first time, a panel comes up built.
  window->controller().OpenAgreement();
  EXPECT_TRUE(window->PanelBuilt(Panel::Agreement));
  EXPECT_TRUE(Shown(window->PanelWindowOf(Panel::Agreement)));
  EXPECT_TRUE(Shown(window->Hwnd(ViewControl::AgreementBackLink)));
}

// The shell may take long to add the icon: it is added once the window is
// on the screen, or on its way into the tray at an automatic start. (Wine's
// headless driver has no tray, so the add itself may fail here.)
TEST_F(MainWindowTest, TheTrayIconWaitsForTheWindowToShowOrHide) {
  registry.SetText(kSettingsRoot, kSettingsKeyPath, "StartStage", EncryptString("2"));
  Make();
  EXPECT_TRUE(window->TrayIconWaiting());
  EXPECT_FALSE(window->TrayIconShown());
  window->controller().ShowAtStart();
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_FALSE(window->TrayIconWaiting());

  window.reset();
  Make();
  EXPECT_TRUE(window->TrayIconWaiting());
  window->MinimiseApplication();
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_FALSE(window->TrayIconWaiting());
  // Once shown, the window adds the icon at once.
  window->SetTrayState(TrayMode::Remove, "");
  window->SetTrayState(TrayMode::Show, "tip");
  EXPECT_FALSE(window->TrayIconWaiting());
}

TEST_F(MainWindowTest, WorkerMessagesReachTheDisplay) {
  // Encrypted, as the program reads them without "/r".
  registry.SetText(kSettingsRoot, kSettingsKeyPath, "StartStage", EncryptString("2"));
  services.existing = 0x77;
  services.openConnection = 0x77;
  Make();
  // Adopted at start: the connected look, without dialling.
  EXPECT_TRUE(services.dialled.empty());
  EXPECT_EQ(TextOf(window->Hwnd(ViewControl::ConnectionStatus)), "Соединение c GPRS установлено");
  EXPECT_EQ(TextOf(window->Hwnd(ViewControl::ConnectButton)), "Отключиться");
  ASSERT_NE(services.lastThread, nullptr);
  services.lastThread->speed = 9000001;
  services.lastThread->elapsed = std::chrono::minutes(63);
  SendMessageW(main, kMsgStatistics, 10000, 1);
  EXPECT_EQ(TextOf(window->Hwnd(ViewControl::MaximumSpeed)), "9 Mбайт/сек");
  EXPECT_EQ(TextOf(window->Hwnd(ViewControl::ReceivedBytes)), "10000 байт");
  EXPECT_EQ(TextOf(window->Hwnd(ViewControl::SentBytes)), "1 байт");
  EXPECT_EQ(TextOf(window->Hwnd(ViewControl::TotalBytes)), "10 Kбайт");
  EXPECT_EQ(TextOf(window->Hwnd(ViewControl::ConnectionTime)), "1 часов 03 минут");
  // One width and one left edge: the right-aligned numbers end together.
  const RECT a = PlaceOf(window->Hwnd(ViewControl::ReceivedBytes), main);
  const RECT b = PlaceOf(window->Hwnd(ViewControl::SentBytes), main);
  const RECT t = PlaceOf(window->Hwnd(ViewControl::TotalBytes), main);
  EXPECT_EQ(a.right, b.right);
  EXPECT_EQ(a.right, t.right);
  EXPECT_EQ(a.left, t.left);
  EXPECT_GT(a.right - a.left, 10);

  // A disconnect by the button: the disconnected look again.
  window->controller().connectAction().Execute();
  EXPECT_EQ(services.closed, std::vector<ras::Handle>{0x77});
  EXPECT_EQ(TextOf(window->Hwnd(ViewControl::ConnectButton)), "Подключиться");
  EXPECT_EQ(TextOf(window->Hwnd(ViewControl::ReceivedBytes)), "10000 байт")
      << "kept while disconnected";
}

// The icon itself needs a notification area, which the headless driver
// lacks: main_window_screen.sh sees it on the screen.
TEST_F(MainWindowTest, TrayMenuFollowsTheActions) {
  registry.SetText(kSettingsRoot, kSettingsKeyPath, "StartStage", EncryptString("2"));
  Make();
  window->controller().ShowAtStart();
  auto menu = window->controller().TrayMenu();
  ASSERT_EQ(menu.size(), 5u);
  EXPECT_EQ(Cp1251ToUtf8(menu[0].caption), "Открыть программу");
  EXPECT_FALSE(menu[0].enabled) << "the window is on the screen";
  EXPECT_TRUE(menu[1].enabled);
  // The minimise zone by a real click message on the skin.
  SendMessageW(main, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(460, 10));
  SetCursorPos(0, 0);  // the click is taken where the pointer is on release
  POINT zone{460, 10};
  ClientToScreen(main, &zone);
  SetCursorPos(zone.x, zone.y);
  SendMessageW(main, WM_LBUTTONUP, 0, MAKELPARAM(460, 10));
  EXPECT_FALSE(IsWindowVisible(main));
  menu = window->controller().TrayMenu();
  EXPECT_TRUE(menu[0].enabled);
  menu[0].action->Execute();
  EXPECT_TRUE(IsWindowVisible(main));
}

// Opening the tray menu makes the program the foreground one; that must not
// bring the window back, or the menu's "Открыть программу" could never be
// chosen and a disconnect from the tray would pop the window up.
TEST_F(MainWindowTest, ActivationLeavesAWindowInTheTrayHidden) {
  registry.SetText(kSettingsRoot, kSettingsKeyPath, "StartStage", EncryptString("2"));
  Make();
  window->controller().ShowAtStart();
  window->controller().OnSkinClick(460, 10);  // the minimise zone
  ASSERT_FALSE(IsWindowVisible(main));
  SendMessageW(main, WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_TRUE(window->controller().TrayMenu()[0].enabled);
  // A second start's wake-up does bring it back.
  SendMessageW(main, kMsgWakeUp, 0, 0);
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_FALSE(window->controller().TrayMenu()[0].enabled);
}

// Not only our own minimise: the taskbar's, ShowWindow's and another
// program's leave no taskbar button either.
TEST_F(MainWindowTest, EveryMinimiseGoesToTheTrayAndComesBack) {
  registry.SetText(kSettingsRoot, kSettingsKeyPath, "StartStage", EncryptString("2"));
  Make();
  window->controller().ShowAtStart();
  const bool icon = window->TrayIconShown();
  ASSERT_TRUE(IsWindowVisible(main));
  ShowWindow(main, SW_MINIMIZE);
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_EQ(window->TrayIconShown(), icon) << "the icon stays";
  EXPECT_TRUE(window->controller().TrayMenu()[0].enabled);
  SendMessageW(main, kMsgWakeUp, 0, 0);
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_FALSE(IsIconic(main));
  EXPECT_FALSE(window->controller().TrayMenu()[0].enabled);

  ShowWindow(main, SW_SHOWMINNOACTIVE);
  EXPECT_FALSE(IsWindowVisible(main));
  window->controller().TrayMenu()[0].action->Execute();
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_FALSE(IsIconic(main));
}

// The session ends with the program running: the settings are stored as at
// a close, with nothing asked.
TEST_F(MainWindowTest, SessionEndStoresTheSettings) {
  registry.SetText(kSettingsRoot, kSettingsKeyPath, "StartStage", EncryptString("2"));
  Make();
  window->controller().ShowAtStart();
  ASSERT_FALSE(registry.RawValue(kSettingsRoot, kSettingsKeyPath, "APNs").has_value());
  EXPECT_EQ(SendMessageW(main, WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_FALSE(registry.RawValue(kSettingsRoot, kSettingsKeyPath, "APNs").has_value())
      << "a session end may still be refused by another program";
  SendMessageW(main, WM_ENDSESSION, FALSE, 0);
  EXPECT_FALSE(registry.RawValue(kSettingsRoot, kSettingsKeyPath, "APNs").has_value());
  SendMessageW(main, WM_ENDSESSION, TRUE, 0);
  EXPECT_TRUE(registry.RawValue(kSettingsRoot, kSettingsKeyPath, "APNs").has_value());
  EXPECT_TRUE(registry.RawValue(kSettingsRoot, kSettingsKeyPath, "Modem").has_value());
}

// Needs the tray, which Wine shows only on a screen: tray_tip_screen.sh runs
// it there. A shell that starts again (after a crash, or later than the
// program at log-on) has an empty tray and tells every top-level window so.
TEST_F(MainWindowTest, OnScreenTheTrayIconComesBackWhenTheShellStartsAgain) {
  HWND tray = nullptr;
  for (int i = 0; i < 100 && tray == nullptr; ++i) {
    tray = FindWindowA("Shell_TrayWnd", nullptr);
    if (tray == nullptr) Sleep(50);
  }
  if (tray == nullptr) GTEST_SKIP() << "no notification area";
  registry.SetText(kSettingsRoot, kSettingsKeyPath, "StartStage", EncryptString("2"));
  Make();
  window->controller().ShowAtStart();
  window->MinimiseApplication();
  ASSERT_TRUE(window->TrayIconShown());
  const UINT id = MainWindow::kTrayIconId;
  const UINT shellStarted = RegisterWindowMessageA("TaskbarCreated");

  // The icon gone with the old shell: the tray no longer knows it.
  ASSERT_TRUE(user::NotifyIcon(NIM_DELETE, main, id, 0, 0, nullptr, ""));
  ASSERT_FALSE(user::NotifyIcon(NIM_MODIFY, main, id, NIF_TIP, 0, nullptr, "x"));
  SendMessageA(main, shellStarted, 0, 0);
  EXPECT_TRUE(window->TrayIconShown());
  EXPECT_TRUE(user::NotifyIcon(NIM_MODIFY, main, id, NIF_TIP, 0, nullptr, "x"))
      << "the icon is in the new tray";

  // Taken out of the tray, it stays out.
  window->SetTrayState(TrayMode::Remove, "");
  SendMessageA(main, shellStarted, 0, 0);
  EXPECT_FALSE(window->TrayIconShown());
  EXPECT_FALSE(user::NotifyIcon(NIM_MODIFY, main, id, NIF_TIP, 0, nullptr, "x"));
}

}  // namespace
}  // namespace dw::ui
