// The ANSI/UTF-16 layer on real windows, once per Windows generation: the
// 9x ones must get ANSI windows and the NT ones Unicode windows, and Russian
// text must come back byte-exact through the layer and read right from
// outside (an assistive tool or another program reads UTF-16).
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/user_api_win.h"
#include "platform/win32/wide.h"
#include "text/cp1251.h"
#include "ui/framework/form_win.h"
#include "ui/framework/message_loop_win.h"
#include "ui/framework/subclass_win.h"
#include "unit/log/log_test_support.h"

namespace dw {
namespace {

// The generation the harness plays; the 9x ones run with code page 1251, as
// the Russian systems do.
bool NineXGeneration() {
  const char* gen = std::getenv("DW_WINE_GEN");
  const std::string g = gen != nullptr ? gen : "";
  return g == "win98" || g == "winme";
}

bool GenerationKnown() { return std::getenv("DW_WINE_GEN") != nullptr; }

// Every Russian letter of code page 1251, Ё and ё, № and some ASCII.
std::string AllRussian() {
  std::string s = "Dialwave: ";
  for (int c = 0xC0; c <= 0xFF; ++c) s += static_cast<char>(c);
  s += "\xA8\xB8 \xB9" "5";
  return s;
}

class Host final : public ui::Form {
 public:
  Host() {
    ui::FormOptions options;
    options.className = "DwUserApiTestForm";
    options.caption = Utf8ToCp1251("Проверка");
    options.clientWidth = 300;
    options.clientHeight = 200;
    CreateForm(options);
  }
};

std::wstring OutsideText(HWND w) {
  wchar_t text[512] = {};
  GetWindowTextW(w, text, 512);
  return text;
}

TEST(UserApi, FamilyFollowsThePlatform) {
  ASSERT_TRUE(GenerationKnown()) << "run through the harness (DW_WINE_GEN)";
  EXPECT_EQ(user::UsesAnsi(), NineXGeneration());
  Host host;
  ASSERT_NE(host.hwnd(), nullptr);
  const BOOL unicode = NineXGeneration() ? FALSE : TRUE;
  EXPECT_EQ(IsWindowUnicode(host.hwnd()), unicode) << "a window of our own class";
  const ui::Label label = host.AddLabel({10, 10, 100, 14}, "x");
  EXPECT_EQ(IsWindowUnicode(label.hwnd()), unicode) << "a system control";
  // Not asked of comctl32's windows: their family follows how comctl32
  // registered its classes (Wine's are Unicode even in 9x mode).
}

TEST(UserApi, RussianTextRoundTripsByteExact) {
  Host host;
  const std::string text = AllRussian();
  EXPECT_EQ(host.Caption(), Utf8ToCp1251("Проверка"));
  const ui::Label label = host.AddLabel({10, 10, 280, 14}, text);
  EXPECT_EQ(user::GetText(label.hwnd()), text);
  user::SetText(host.hwnd(), text);
  EXPECT_EQ(user::GetText(host.hwnd()), text);
  EXPECT_EQ(OutsideText(host.hwnd()), Wide(text));
  EXPECT_EQ(OutsideText(label.hwnd()), Wide(text));
  user::SetText(label.hwnd(), "");
  EXPECT_EQ(user::GetText(label.hwnd()), "");
}

TEST(UserApi, ListItemsRoundTrip) {
  Host host;
  const ui::ListBox list = host.AddOwnerDrawnListBox({10, 10, 200, 100}, 17, [](const DRAWITEMSTRUCT&) {});
  const std::string modem = Utf8ToCp1251("Модем Korvana GPRS (COM3) — ёмкий №1");
  EXPECT_EQ(list.Add(modem), 0);
  EXPECT_EQ(list.Add(AllRussian()), 1);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Item(0), modem);
  EXPECT_EQ(list.Item(1), AllRussian());
  EXPECT_EQ(list.Item(2), "");
  wchar_t outside[256] = {};
  SendMessageW(list.hwnd(), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(outside));
  EXPECT_EQ(std::wstring(outside), Wide(modem));
}

TEST(UserApi, TooltipTextRoundTrips) {
  Host host;
  HWND tip = user::CreateTooltip(TTS_NOPREFIX, host.hwnd());
  ASSERT_NE(tip, nullptr);
  const std::string first = Utf8ToCp1251("Скорость: 12 Кбит/с");
  ASSERT_TRUE(user::AddTool(tip, TTF_TRACK | TTF_ABSOLUTE, host.hwnd(), 7, first));
  EXPECT_EQ(user::ToolText(tip, host.hwnd(), 7), first);
  const std::string second = AllRussian();
  user::SetToolText(tip, host.hwnd(), 7, second);
  EXPECT_EQ(user::ToolText(tip, host.hwnd(), 7), second);
  // The tooltip holds the text itself, not ours: UTF-16 readers see Russian.
  wchar_t outside[256] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V1_SIZE;
  tool.hwnd = host.hwnd();
  tool.uId = 7;
  tool.lpszText = outside;
  SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
  EXPECT_EQ(std::wstring(outside), Wide(second));
  DestroyWindow(tip);
}

TEST(UserApi, MenuItemsAndDrawnTextsAreRussian) {
  Host host;
  HMENU menu = CreatePopupMenu();
  ASSERT_NE(menu, nullptr);
  const std::string item = Utf8ToCp1251("Разъединить");
  ASSERT_TRUE(user::AppendMenuText(menu, MF_STRING, 5, item));
  wchar_t outside[64] = {};
  GetMenuStringW(menu, 5, outside, 64, MF_BYCOMMAND);
  EXPECT_EQ(std::wstring(outside), Wide(item));
  DestroyMenu(menu);

  // The measured height of a wrapped text: one line, then two.
  HDC dc = GetDC(host.hwnd());
  ASSERT_NE(dc, nullptr);
  HGDIOBJ old = SelectObject(dc, host.Font());
  RECT one{0, 0, 1000, 0};
  const int line = user::DrawTextIn(dc, item, one, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  EXPECT_GT(line, 0);
  const int wide = one.right;
  RECT two{0, 0, wide - 2, 0};
  EXPECT_EQ(user::DrawTextIn(dc, item + " " + item, two, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX),
            2 * line);
  // The same width as the UTF-16 measure, which 9x has too: no letter lost.
  SIZE size{};
  const std::wstring w = Wide(item);
  GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size);
  EXPECT_EQ(wide, size.cx);
  SelectObject(dc, old);
  ReleaseDC(host.hwnd(), dc);
}

int moves = 0;
WNDPROC beforeCounting = nullptr;
LRESULT CALLBACK CountingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_MOUSEMOVE) ++moves;
  return user::CallProc(beforeCounting, w, m, wp, lp);
}

TEST(UserApi, SubclassListensAndLeavesTheWindowItsFamily) {
  Host host;
  const ui::Label label = host.AddLabel({10, 10, 100, 14}, "x");
  const WNDPROC own = user::WindowProc(label.hwnd());
  std::vector<UINT> seen;
  {
    ui::Subclass hook;
    ASSERT_TRUE(hook.Attach(label.hwnd(), [&](UINT m, WPARAM, LPARAM) {
      if (m == WM_MOUSEMOVE) seen.push_back(m);
    }));
    EXPECT_FALSE(ui::Subclass().Attach(label.hwnd(), {})) << "one hook per window";
    EXPECT_EQ(IsWindowUnicode(label.hwnd()), user::UsesAnsi() ? FALSE : TRUE);
    SendMessageA(label.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 4));
    // Text messages still reach the control's own procedure.
    user::SetText(label.hwnd(), AllRussian());
    EXPECT_EQ(user::GetText(label.hwnd()), AllRussian());
  }
  EXPECT_EQ(seen.size(), 1u);
  EXPECT_EQ(user::WindowProc(label.hwnd()), own) << "detached on destruction";
  SendMessageA(label.hwnd(), WM_MOUSEMOVE, 0, 0);
  EXPECT_EQ(seen.size(), 1u);

  // A window destroyed under the hook: the hook lets go by itself.
  HWND other = user::CreateWindowText(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, host.hwnd(), nullptr);
  ui::Subclass late;
  ASSERT_TRUE(late.Attach(other, [](UINT, WPARAM, LPARAM) {}));
  DestroyWindow(other);
  EXPECT_FALSE(late.Attached());

  // Someone hooked in after us: our procedure stays in the chain, quiet.
  HWND chained = user::CreateWindowText(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, host.hwnd(), nullptr);
  std::vector<UINT> quiet;
  WNDPROC mine = nullptr;
  {
    ui::Subclass first;
    ASSERT_TRUE(first.Attach(chained, [&](UINT m, WPARAM, LPARAM) {
      if (m == WM_MOUSEMOVE) quiet.push_back(m);
    }));
    mine = user::SetWindowProc(chained, CountingProc);
    beforeCounting = mine;
  }
  moves = 0;
  SendMessageA(chained, WM_MOUSEMOVE, 0, 0);
  EXPECT_EQ(moves, 1);
  EXPECT_TRUE(quiet.empty());
  user::SetWindowProc(chained, mine);
  DestroyWindow(chained);
}

// A listener's error stops at the hook: it is logged, the control still gets
// the message and the loop goes on with the next ones.
TEST(UserApi, SubclassListenerErrorIsLoggedAndTheMessageStillPasses) {
  dw::testing::LogFolder folder;
  folder.Configure({"/l", "/n"});
  Host host;
  HWND control = user::CreateWindowText(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, host.hwnd(), nullptr);
  beforeCounting = user::SetWindowProc(control, CountingProc);
  int heard = 0;
  {
    ui::Subclass hook;
    ASSERT_TRUE(hook.Attach(control, [&](UINT m, WPARAM, LPARAM) {
      if (m != WM_MOUSEMOVE) return;
      ++heard;
      throw std::runtime_error("broken listener");
    }));
    moves = 0;
    SendMessageA(control, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(moves, 1);
    PostMessageA(control, WM_MOUSEMOVE, 0, 0);
    PostMessageA(control, WM_MOUSEMOVE, 0, 0);
    EXPECT_TRUE(ui::DrainMessages());
    EXPECT_EQ(heard, 3);
    EXPECT_EQ(moves, 3);
  }
  user::SetWindowProc(control, beforeCounting);
  DestroyWindow(control);
  const auto lines = folder.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[0].find("Subclass"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("888"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("broken listener"), std::string::npos) << lines[0];
}

TEST(UserApi, FindsTopLevelWindowsByRussianTitle) {
  Host host;
  const std::string title = Utf8ToCp1251("Программа для подключения");
  host.SetCaption(title);
  EXPECT_EQ(user::FindTopLevel("DwUserApiTestForm", &title), host.hwnd());
  const std::string other = Utf8ToCp1251("Другая");
  EXPECT_EQ(user::FindTopLevel("DwUserApiTestForm", &other), nullptr);
}

}  // namespace
}  // namespace dw

namespace dw {
namespace {

// The tips of Wine's tray icons, read from the tray's own tooltips in the
// process that shows them.
struct TrayTips {
  std::vector<std::wstring> tips;
};

// The first tool's text of a tooltip in another process: the message's
// buffer has to be in that process.
std::wstring RemoteToolText(HWND tooltip) {
  DWORD pid = 0;
  GetWindowThreadProcessId(tooltip, &pid);
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (process == nullptr) return {};
  constexpr SIZE_T kText = 256;
  auto* remote = static_cast<BYTE*>(
      VirtualAllocEx(process, nullptr, sizeof(TTTOOLINFOW) + kText * sizeof(wchar_t),
                     MEM_COMMIT, PAGE_READWRITE));
  std::wstring text;
  if (remote != nullptr) {
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V1_SIZE;
    info.lpszText = reinterpret_cast<wchar_t*>(remote + sizeof info);
    std::vector<wchar_t> buffer(kText, L'\0');
    WriteProcessMemory(process, remote, &info, sizeof info, nullptr);
    WriteProcessMemory(process, remote + sizeof info, buffer.data(), kText * sizeof(wchar_t),
                       nullptr);
    if (SendMessageW(tooltip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(remote))) {
      ReadProcessMemory(process, remote + sizeof info, buffer.data(), kText * sizeof(wchar_t),
                        nullptr);
      buffer.back() = L'\0';
      text = buffer.data();
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return text;
}

// Every tooltip of another process: the tray's are among them.
BOOL CALLBACK CollectTrayTip(HWND w, LPARAM p) {
  wchar_t kind[64] = {};
  GetClassNameW(w, kind, 64);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (lstrcmpiW(kind, TOOLTIPS_CLASSW) == 0 && pid != GetCurrentProcessId()) {
    reinterpret_cast<TrayTips*>(p)->tips.push_back(RemoteToolText(w));
  }
  return TRUE;
}

std::vector<std::wstring> TrayTipsNow() {
  TrayTips found;
  EnumWindows(CollectTrayTip, reinterpret_cast<LPARAM>(&found));
  return found.tips;
}

bool HasTip(const std::wstring& tip) {
  for (int i = 0; i < 50; ++i) {
    for (const std::wstring& t : TrayTipsNow()) {
      if (t == tip) return true;
    }
    Sleep(50);
  }
  return false;
}

// Needs the tray, which Wine shows only on a screen: tray_tip_screen.sh runs
// it there for a 9x and an NT generation and fails when it is skipped.
TEST(UserApiOnScreen, TrayIconTipIsRussian) {
  Host host;
  // Wine's explorer makes the tray beside this process's start, which can
  // be quicker than the tray.
  HWND tray = nullptr;
  for (int i = 0; i < 100 && tray == nullptr; ++i) {
    tray = FindWindowA("Shell_TrayWnd", nullptr);
    if (tray == nullptr) Sleep(50);
  }
  if (tray == nullptr) GTEST_SKIP() << "no notification area";
  const UINT id = 40 + (GetCurrentProcessId() % 1000);
  const std::string first = Utf8ToCp1251("Соединение: 00:01:02, принято 12 КБ");
  ASSERT_TRUE(user::NotifyIcon(NIM_ADD, host.hwnd(), id, NIF_ICON | NIF_MESSAGE | NIF_TIP, WM_APP,
                               user::SystemIcon(IDI_APPLICATION), first));
  EXPECT_TRUE(HasTip(Wide(first)));
  // The first layout holds 63 characters and the end.
  const std::string longer = AllRussian();
  ASSERT_GT(longer.size(), 63u);
  EXPECT_TRUE(user::NotifyIcon(NIM_MODIFY, host.hwnd(), id, NIF_TIP, 0, nullptr, longer));
  EXPECT_TRUE(HasTip(Wide(longer.substr(0, 63))));
  EXPECT_TRUE(user::NotifyIcon(NIM_DELETE, host.hwnd(), id, 0, 0, nullptr, ""));
}

}  // namespace
}  // namespace dw
