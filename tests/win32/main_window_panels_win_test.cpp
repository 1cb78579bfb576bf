// The agreement, settings and about panels inside the real MainWindow (fake
// connection services, in-memory settings, a recording shell): the agreement
// gate by wheel, scroll bar and button release, the way back when the
// agreement is opened later, the owner-drawn modem list read back as pixels,
// its tooltip and double-click, the installation options' labels, the
// "Обновить" colour, the about links, and every text fitting its place.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <algorithm>
#include <stdexcept>

#include "crypto/encrypt.h"
#include "platform/fake/fake_shell.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide.h"
#include "ui/framework/gdi_scope_win.h"
#include "ui/main_window_win.h"
#include "ui/panels/settings.h"
#include "unit/ui/main_fakes.h"

namespace dw::ui {
namespace {

using test::FakeServices;

std::string TextOf(HWND w) {
  wchar_t text[1024] = {};
  GetWindowTextW(w, text, 1024);
  return Cp1251ToUtf8(Narrow(text));
}

bool Shown(HWND w) { return (GetWindowLongPtrW(w, GWL_STYLE) & WS_VISIBLE) != 0; }

void Wheel(HWND w, int delta) {
  SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))), 0);
}

void Command(HWND parent, HWND from, WORD code) {
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(0, code), reinterpret_cast<LPARAM>(from));
}

RECT RectIn(HWND w, HWND in) {
  RECT r{};
  GetWindowRect(w, &r);
  MapWindowPoints(nullptr, in, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The client area of `w` as it paints itself, in a 32-bit bitmap.
struct Snapshot {
  Snapshot(HWND w, int columns, int height) : width(columns) {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = columns;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits),
                              nullptr, 0);
    ReleaseDC(nullptr, screen);
    old = SelectObject(dc, bitmap);
    if (w != nullptr) SendMessageW(w, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
  }
  ~Snapshot() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  COLORREF At(int x, int y) const {
    const std::uint32_t p = bits[y * width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  int width;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  std::uint32_t* bits = nullptr;
};

class MainWindowPanels : public ::testing::Test {
 protected:
  void Make(const std::string& startStage = "") {
    registry.SetText(kSettingsRoot, kSettingsKeyPath, "Dummy", "");  // the key exists
    if (!startStage.empty()) {
      registry.SetText(kSettingsRoot, kSettingsKeyPath, "StartStage", EncryptString(startStage));
      registry.SetText(kSettingsRoot, kSettingsKeyPath, "Modem", EncryptString(services.devices[0]));
    }
    auto environment = std::make_shared<FixedEnvironment>();
    environment->executablePath = "C:\\Program Files\\Dialwave\\dialwave.exe";
    MainWindow::Setup setup{environment, &services, [] { return true; }, &registry};
    setup.shell = &shell;
    window = std::make_unique<MainWindow>(setup);
    ASSERT_TRUE(window->Create());
    services.controller = &window->controller();
    window->Prepare();
    main = window->hwnd();
  }
  HWND agree() const { return window->Hwnd(ViewControl::AgreeButton); }
  bool AgreeEnabled() const { return IsWindowEnabled(agree()) != FALSE; }

  MemoryRegistry registry;
  FakeServices services;
  FakeShell shell;
  std::unique_ptr<MainWindow> window;
  HWND main = nullptr;
};

TEST_F(MainWindowPanels, TheAgreementPanelIsTheFinishedOneWithItsGate) {
  Make();
  AgreementPanel& a = window->agreementPanel();
  EXPECT_EQ(GetParent(a.hwnd()), window->PanelWindowOf(Panel::Agreement));
  const RECT box = RectIn(a.textBox.hwnd(), main);
  EXPECT_EQ(box.top, 49 + 34);
  EXPECT_EQ(box.bottom - box.top, 174);
  EXPECT_EQ(a.textBox.Range(), 1155);
  EXPECT_EQ(agree(), a.AgreeWindow().hwnd());
  EXPECT_EQ(TextOf(agree()), "Согласен");
  EXPECT_FALSE(AgreeEnabled());

  // The wheel: 80 notches bring the text to 960, the 81st past 971.
  for (int i = 0; i < 80; ++i) Wheel(a.textBox.hwnd(), -120);
  EXPECT_EQ(a.textBox.Position(), 960);
  EXPECT_FALSE(AgreeEnabled());
  Wheel(a.textBox.hwnd(), -120);
  EXPECT_TRUE(AgreeEnabled());
  for (int i = 0; i < 100; ++i) Wheel(a.textBox.hwnd(), 120);
  EXPECT_EQ(a.textBox.Position(), 0);
  EXPECT_TRUE(AgreeEnabled()) << "scrolled back, still enabled";
}

TEST_F(MainWindowPanels, ScrollBarAndReleaseOpenTheGateOfTheRealWindow) {
  Make();
  AgreementPanel& a = window->agreementPanel();
  HWND bar = a.scrollBar.Bar().hwnd();
  for (int i = 0; i < 6; ++i) {
    SendMessageW(a.scrollBar.hwnd(), WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(bar));
  }
  EXPECT_EQ(a.textBox.Position(), 900);
  EXPECT_FALSE(AgreeEnabled());
  SendMessageW(a.scrollBar.hwnd(), WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(bar));
  EXPECT_EQ(a.textBox.Position(), 981);
  EXPECT_TRUE(AgreeEnabled());

  // A start disables it again; moved by nothing of the panel's, the text
  // opens the gate only at a release over the panel.
  window.reset();
  Make();
  AgreementPanel& b = window->agreementPanel();
  EXPECT_FALSE(AgreeEnabled());
  b.textBox.SetPosition(975);
  EXPECT_FALSE(AgreeEnabled());
  SendMessageW(b.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(300, 250));
  EXPECT_TRUE(AgreeEnabled());

  // Agreeing leads to the installation look.
  b.agreeButton.LeftButtonDown(40, 12);
  b.agreeButton.LeftButtonUp(40, 12);
  EXPECT_EQ(window->controller().CurrentStage(), kShowInstall);
  EXPECT_TRUE(Shown(window->PanelWindowOf(Panel::Settings)));
}

TEST_F(MainWindowPanels, DisagreeClosesTheWindow) {
  Make();
  AgreementPanel& a = window->agreementPanel();
  EXPECT_EQ(TextOf(window->Hwnd(ViewControl::DisagreeButton)), "Не согласен");
  EXPECT_TRUE(IsWindowEnabled(window->Hwnd(ViewControl::DisagreeButton)));
  a.disagreeButton.LeftButtonDown(40, 12);
  a.disagreeButton.LeftButtonUp(40, 12);
  MSG msg{};
  EXPECT_TRUE(PeekMessageW(&msg, main, WM_CLOSE, WM_CLOSE, PM_REMOVE));
}

TEST_F(MainWindowPanels, AgreementOpenedLaterShowsOnlyTheWayBackFromTheTop) {
  Make("2");
  AgreementPanel& a = window->agreementPanel();
  for (int i = 0; i < 30; ++i) Wheel(a.textBox.hwnd(), -120);
  ASSERT_EQ(a.textBox.Position(), 360);
  Command(main, window->Hwnd(ViewControl::AgreementLink), STN_CLICKED);
  EXPECT_TRUE(Shown(window->PanelWindowOf(Panel::Agreement)));
  EXPECT_EQ(a.textBox.Position(), 0);
  EXPECT_EQ(a.scrollBar.Position(), 0);
  EXPECT_FALSE(Shown(agree()));
  EXPECT_FALSE(Shown(window->Hwnd(ViewControl::DisagreeButton)));
  EXPECT_TRUE(Shown(a.backLink.hwnd()));
  EXPECT_EQ(TextOf(a.backLink.hwnd()), "<  Вернуться в программу");
  Command(a.hwnd(), a.backLink.hwnd(), STN_CLICKED);
  EXPECT_TRUE(Shown(window->PanelWindowOf(Panel::Main)));
  EXPECT_EQ(window->controller().CurrentStage(), kShowMain);
  EXPECT_EQ(window->controller().settings().StartStage, kStageInstalled);
}

bool Ticked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// A press on the label itself: the static control must notify its panel.
void PressOn(HWND w) {
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

TEST_F(MainWindowPanels, OptionLabelsReadAsShownAndAPressTicksOnlyTheirOwnBox) {
  Make("0");
  SettingsPanel& s = window->settingsPanel();
  struct Option {
    HWND label, box;
    const char* text;
  };
  const Option options[] = {
      {s.desktopOptionText.hwnd(), s.desktopOption.hwnd(), "Создать ярлык на Рабочем столе"},
      {s.autorunOptionText.hwnd(), s.autorunOption.hwnd(), "Добавить программу в меню Автозапуск"},
      {s.copyOptionText.hwnd(), s.copyOption.hwnd(), "Скопировать программу в папку C:\\Korvana"},
  };
  for (const Option& o : options) {
    EXPECT_TRUE(Shown(o.label)) << o.text;
    EXPECT_TRUE(Shown(o.box)) << o.text;
    EXPECT_EQ(TextOf(o.label), o.text);
    ASSERT_TRUE(Ticked(o.box)) << o.text;
  }
  for (const Option& pressed : options) {
    PressOn(pressed.label);
    for (const Option& o : options) {
      EXPECT_EQ(Ticked(o.box), o.box != pressed.box) << pressed.text << " / " << o.text;
    }
    PressOn(pressed.label);
    EXPECT_TRUE(Ticked(pressed.box)) << pressed.text;
  }
}

TEST_F(MainWindowPanels, ModemListIsOwnerDrawnInSeventeenPixelItemsInItsGreyFrame) {
  services.devices = {"Korvana GPRS Modem", "Other Modem", "\xCC\xEE\xE4\xE5\xEC"};
  Make("0");
  SettingsPanel& s = window->settingsPanel();
  HWND list = s.modemList.hwnd();
  const LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
  EXPECT_TRUE(style & LBS_OWNERDRAWFIXED);
  EXPECT_FALSE(style & WS_BORDER);
  EXPECT_FALSE(GetWindowLongPtrW(list, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), 17);
  const RECT l = RectIn(list, s.hwnd());
  const RECT f = RectIn(s.listFrame.hwnd(), s.hwnd());
  EXPECT_EQ(f.left, l.left - 1);
  EXPECT_EQ(f.top, l.top - 1);
  EXPECT_EQ(f.right, l.right + 1);
  EXPECT_EQ(f.bottom, l.bottom + 1);
  // The frame lies behind the list, in grey.
  for (HWND c = GetWindow(s.hwnd(), GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    ASSERT_NE(c, s.listFrame.hwnd()) << "the frame above the list";
    if (c == list) break;
  }
  Snapshot frame(nullptr, 4, 4);
  const auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(s.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(frame.dc),
                   reinterpret_cast<LPARAM>(s.listFrame.hwnd())));
  LOGBRUSH lb{};
  GetObjectW(brush, sizeof lb, &lb);
  EXPECT_EQ(lb.lbColor, RGB(0x80, 0x80, 0x80));

  // Item 0 selected (the stored modem): the selection colour with the
  // highlight text colour from 5 pixels on; item 1 in the list's colours.
  ASSERT_EQ(window->SelectedModem(), 0);
  const RECT client = [&] { RECT r{}; GetClientRect(list, &r); return r; }();
  Snapshot shot(list, client.right, client.bottom);
  const COLORREF selected = RGB(0x89, 0x66, 0xB5);
  const COLORREF background = GetSysColor(COLOR_WINDOW);
  bool selectedText = false, plainText = false;
  int selectionPixels = 0;
  for (int y = 0; y < 17; ++y) {
    for (int x = 0; x < 5; ++x) {
      ASSERT_EQ(shot.At(x, y), selected) << x << "," << y;
      ASSERT_EQ(shot.At(x, 17 + y), background) << x << "," << 17 + y;
    }
    for (int x = 5; x < 455; ++x) {
      if (shot.At(x, y) == GetSysColor(COLOR_HIGHLIGHTTEXT)) selectedText = true;
      if (shot.At(x, 17 + y) == GetSysColor(COLOR_WINDOWTEXT)) plainText = true;
      if (shot.At(x, y) == selected) ++selectionPixels;
    }
  }
  EXPECT_TRUE(selectedText);
  EXPECT_TRUE(plainText);
  EXPECT_GT(selectionPixels, 17 * 450 * 3 / 4) << "the whole item in the selection colour";
}

TEST_F(MainWindowPanels, FocusedItemGetsTheFocusRectangleAndLongNamesAreClipped) {
  services.devices = {std::string(200, 'W'), "Other Modem"};
  Make("0");
  SettingsPanel& s = window->settingsPanel();
  Snapshot plain(nullptr, 460, 17);
  Snapshot focused(nullptr, 460, 17);
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_LISTBOX;
  item.itemID = 1;
  item.itemAction = ODA_DRAWENTIRE;
  item.hwndItem = s.modemList.hwnd();
  item.rcItem = {0, 0, 460, 17};
  item.hDC = plain.dc;
  s.DrawItem(item);
  item.itemState = ODS_FOCUS;
  item.hDC = focused.dc;
  s.DrawItem(item);
  GdiFlush();
  int differ = 0;
  for (int x = 0; x < 460; ++x) differ += plain.At(x, 0) != focused.At(x, 0) ? 1 : 0;
  EXPECT_GT(differ, 100) << "a dotted line along the top";
  EXPECT_LT(differ, 460);

  // The long name stops at the item's edge: the next item is untouched.
  Snapshot tall(nullptr, 460, 34);
  SetRect(&item.rcItem, 0, 0, 460, 17);
  item.itemID = 0;
  item.itemState = 0;
  item.hDC = tall.dc;
  RECT below{0, 17, 460, 34};
  FillRect(tall.dc, &below, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  s.DrawItem(item);
  GdiFlush();
  for (int x = 0; x < 460; x += 7) ASSERT_EQ(tall.At(x, 20), RGB(0, 0, 0));
}

TEST_F(MainWindowPanels, TooltipFollowsTheItemUnderThePointer) {
  const std::string longName = "Korvana USB GPRS EDGE Modem With A Very Long Friendly Name Model 2000 Rev B";
  services.devices = {"Short", longName};
  Make("0");
  SettingsPanel& s = window->settingsPanel();
  HWND list = s.modemList.hwnd();
  ASSERT_NE(s.ModemTooltip(), nullptr);
  const auto tipText = [&] {
    wchar_t text[1024] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V1_SIZE;
    tool.hwnd = s.hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(list);
    tool.lpszText = text;
    SendMessageW(s.ModemTooltip(), TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
    return Narrow(text);
  };
  EXPECT_EQ(tipText(), "");
  SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(300, 20));
  EXPECT_EQ(tipText(), longName);
  EXPECT_EQ(s.ModemTooltipText(), longName);
  SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(3, 2));
  EXPECT_EQ(tipText(), "Short");
  // Below the last item: left as it was.
  SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(10, 50));
  EXPECT_EQ(tipText(), "Short");
}

TEST_F(MainWindowPanels, DoubleClickSelectsOnlyInTheServiceLook) {
  Make("0");
  SettingsPanel& s = window->settingsPanel();
  HWND list = s.modemList.hwnd();
  const auto doubleClick = [&](int y) {
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, y));
    SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(20, y));
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, y));
    SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(20, y));
  };
  doubleClick(20);
  EXPECT_EQ(window->SelectedModem(), 1) << "the click itself selects";
  EXPECT_EQ(window->controller().CurrentStage(), kShowInstall);
  EXPECT_TRUE(Shown(window->PanelWindowOf(Panel::Settings)));
  EXPECT_EQ(window->controller().settings().ModemName, services.devices[0]);

  window.reset();
  Make("2");
  Command(main, window->Hwnd(ViewControl::SettingsLink), STN_CLICKED);
  ASSERT_EQ(window->controller().CurrentStage(), kShowService);
  HWND serviceList = window->settingsPanel().modemList.hwnd();
  SendMessageW(serviceList, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  SendMessageW(serviceList, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  SendMessageW(serviceList, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 20));
  SendMessageW(serviceList, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  EXPECT_TRUE(Shown(window->PanelWindowOf(Panel::Main)));
  EXPECT_EQ(window->controller().settings().ModemName, "Other Modem");
}

TEST_F(MainWindowPanels, RefreshLinkTakesTheRefreshColourAndGivesItBackAfterAnError) {
  Make("2");
  Command(main, window->Hwnd(ViewControl::SettingsLink), STN_CLICKED);
  SettingsPanel& s = window->settingsPanel();
  EXPECT_EQ(TextOf(s.refreshLink.hwnd()), "Обновить");
  EXPECT_FALSE(Shown(s.hiddenRefreshLink.hwnd()));
  EXPECT_EQ(window->FontColour(ViewControl::RefreshLink), Rgb(0x33, 0x00, 0x79));
  // The colour the text is painted in, as the panel hands it out.
  const auto painted = [&] {
    HDC dc = GetDC(s.refreshLink.hwnd());
    SendMessageW(s.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(s.refreshLink.hwnd()));
    const COLORREF c = GetTextColor(dc);
    ReleaseDC(s.refreshLink.hwnd(), dc);
    return c;
  };
  COLORREF during = 0;
  services.duringEnum = [&] { during = painted(); };
  services.devices = {"Korvana GPRS Modem", "Other Modem", "New Phone"};
  Command(s.hwnd(), s.refreshLink.hwnd(), STN_CLICKED);
  EXPECT_EQ(during, RGB(0x68, 0x54, 0x96));
  EXPECT_EQ(painted(), RGB(0x33, 0x00, 0x79));
  EXPECT_EQ(window->ModemItems(), services.devices);

  services.duringEnum = [] { throw std::runtime_error("enumeration failed"); };
  Command(s.hwnd(), s.refreshLink.hwnd(), STN_CLICKED);  // the window drops the error
  EXPECT_TRUE(IsWindow(main));
  EXPECT_EQ(painted(), RGB(0x33, 0x00, 0x79));
  // The hidden twin runs the same handler.
  services.duringEnum = nullptr;
  services.devices = {"Other Modem"};
  Command(s.hwnd(), s.hiddenRefreshLink.hwnd(), STN_CLICKED);
  EXPECT_EQ(window->ModemItems(), services.devices);
}

TEST_F(MainWindowPanels, AboutPanelLinksOpenThroughTheShellOnADoubleClick) {
  Make("2");
  Command(main, window->Hwnd(ViewControl::AboutLink), STN_CLICKED);
  AboutPanel& about = window->aboutPanel();
  EXPECT_TRUE(Shown(window->PanelWindowOf(Panel::About)));
  EXPECT_EQ(window->Hwnd(ViewControl::VersionText), about.versionText.hwnd());
  EXPECT_EQ(TextOf(about.versionText.hwnd()).rfind("Версия: ", 0), 0u);
  Command(about.hwnd(), about.webLink.hwnd(), STN_CLICKED);
  EXPECT_TRUE(shell.opened.empty());
  Command(about.hwnd(), about.webLink.hwnd(), STN_DBLCLK);
  Command(about.hwnd(), about.mailLink.hwnd(), STN_DBLCLK);
  EXPECT_EQ(shell.opened, (std::vector<std::string>{"http://www.korvana.example/",
                                                    "mailto:support@korvana.example"}));
  Command(about.hwnd(), about.backLink.hwnd(), STN_CLICKED);
  EXPECT_TRUE(Shown(window->PanelWindowOf(Panel::Main)));
}

// Every visible text of a panel shows whole in its place (its wrapped text
// fits) and overlaps no other visible control of the panel, except the
// windows in `layered` (placed over another on purpose).
void ExpectTextsFitAndKeepApart(HWND panel, std::vector<HWND> layered = {}) {
  std::vector<std::pair<HWND, RECT>> shown;
  for (HWND c = GetWindow(panel, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!Shown(c)) continue;
    const RECT r = RectIn(c, panel);
    wchar_t kind[64] = {};
    GetClassNameW(c, kind, 64);
    if (lstrcmpiW(kind, L"STATIC") == 0 && GetWindowTextLengthW(c) > 0) {
      wchar_t text[1024] = {};
      GetWindowTextW(c, text, 1024);
      HDC dc = GetDC(c);
      const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0)));
      RECT need{0, 0, r.right - r.left, 0};
      DrawTextW(dc, text, -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
      SelectObject(dc, old);
      ReleaseDC(c, dc);
      EXPECT_LE(need.bottom, r.bottom - r.top) << Narrow(text);
      EXPECT_LE(need.right, r.right - r.left) << Narrow(text);
    }
    EXPECT_LE(r.right, 500);
    EXPECT_LE(r.bottom, 265);
    const bool onPurpose = std::find(layered.begin(), layered.end(), c) != layered.end();
    for (const auto& [other, o] : shown) {
      RECT both{};
      if (onPurpose || std::find(layered.begin(), layered.end(), other) != layered.end()) continue;
      EXPECT_FALSE(IntersectRect(&both, &r, &o)) << TextOf(c) << " over " << TextOf(other);
    }
    shown.push_back({c, r});
  }
}

TEST_F(MainWindowPanels, TextsFitAndKeepApartInEveryLook) {
  Make("0");
  const auto frame = [&] { return std::vector<HWND>{window->settingsPanel().listFrame.hwnd()}; };
  ExpectTextsFitAndKeepApart(window->settingsPanel().hwnd(), frame());
  // The version stands in the product text's empty lines.
  ExpectTextsFitAndKeepApart(window->aboutPanel().hwnd(),
                             {window->aboutPanel().versionText.hwnd()});
  ExpectTextsFitAndKeepApart(window->agreementPanel().hwnd());
  window.reset();
  Make("2");
  Command(main, window->Hwnd(ViewControl::SettingsLink), STN_CLICKED);
  ExpectTextsFitAndKeepApart(window->settingsPanel().hwnd(), frame());
  Command(main, window->Hwnd(ViewControl::AgreementLink), STN_CLICKED);
  ExpectTextsFitAndKeepApart(window->agreementPanel().hwnd());
}

}  // namespace
}  // namespace dw::ui
