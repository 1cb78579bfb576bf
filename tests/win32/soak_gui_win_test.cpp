// A long session of the real MainWindow in this process (fake connection
// services, a real ledger file): drops answered "Да" in the real question,
// connects and disconnects by the button, every panel opened and left, and
// this process's GDI objects (by type), windows, menus and icons counted
// between the first tenth of the cycles and the end. Wine has no
// GetGuiResources, so the objects are found by their handle values, which
// Wine's tables accept without the reuse counter in the high word; where the
// system has GetGuiResources, its two figures are held to the same bounds.
// DW_SOAK_CYCLES sets the drops (default 40; scripts/soak runs 1000) and a
// fifth of them the button and panel rounds.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include "crypto/encrypt.h"
#include "dialogs_support_win.h"
#include "platform/message_numbers.h"
#include "platform/win32/wide.h"
#include "text/texts.h"
#include "ui/dialogs/msg_win.h"
#include "ui/main_window_win.h"
#include "unit/ui/main_fakes.h"

namespace dw::ui {
namespace {

using test::FakeServices;

// Growth allowed from the tenth of the way to the end: a cache filled late
// (a font, a brush of a colour first drawn) may add one or two; an object
// lost per cycle adds one per cycle.
constexpr int kMaxGdiGrowth = 3;
constexpr int kMaxUserGrowth = 0;

struct GuiCount {
  std::map<DWORD, int> gdiByType;  // GetObjectType's answer -> count
  int gdi = 0, windows = 0, menus = 0, icons = 0;
  DWORD systemGdi = 0, systemUser = 0;  // GetGuiResources; 0: not there
};

BOOL CALLBACK CountChild(HWND, LPARAM p) {
  ++*reinterpret_cast<int*>(p);
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND w, LPARAM p) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<int*>(p);
  EnumChildWindows(w, CountChild, p);
  return TRUE;
}

DWORD SystemGuiResources(DWORD which) {
  using Query = DWORD(WINAPI*)(HANDLE, DWORD);
  static const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetGuiResources")));
  return query != nullptr ? query(GetCurrentProcess(), which) : 0;
}

GuiCount Count() {
  GuiCount c;
  // Stock objects included: they are there from the start and stay.
  for (UINT_PTR h = 0x20; h <= 0xFFFF; ++h) {
    const DWORD type = GetObjectType(reinterpret_cast<HGDIOBJ>(h));
    if (type != 0) {
      ++c.gdiByType[type];
      ++c.gdi;
    }
  }
  // USER handles: even values from 0x20 in Wine's table.
  for (UINT_PTR h = 0x20; h <= 0xFFFE; h += 2) {
    if (IsMenu(reinterpret_cast<HMENU>(h))) ++c.menus;
    ICONINFO info{};
    if (GetIconInfo(reinterpret_cast<HICON>(h), &info)) {
      ++c.icons;
      if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
      if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    }
  }
  EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&c.windows));
  c.systemGdi = SystemGuiResources(0);   // GR_GDIOBJECTS
  c.systemUser = SystemGuiResources(1);  // GR_USEROBJECTS
  return c;
}

std::string Describe(const GuiCount& c) {
  std::ostringstream s;
  s << "gdi " << c.gdi << " (";
  for (const auto& [type, n] : c.gdiByType) s << "type " << type << ": " << n << ", ";
  s << ") windows " << c.windows << " menus " << c.menus << " icons " << c.icons
    << " GetGuiResources " << c.systemGdi << "/" << c.systemUser;
  return s.str();
}

void ExpectNoGrowth(const GuiCount& from, const GuiCount& to, const char* what) {
  const std::string seen = std::string(what) + "\n from " + Describe(from) + "\n   to " + Describe(to);
  std::printf("%s\n", seen.c_str());
  EXPECT_LE(to.gdi - from.gdi, kMaxGdiGrowth) << seen;
  EXPECT_LE(to.windows - from.windows, kMaxUserGrowth) << seen;
  EXPECT_LE(to.menus - from.menus, kMaxUserGrowth) << seen;
  EXPECT_LE(to.icons - from.icons, kMaxUserGrowth) << seen;
  if (from.systemGdi != 0) {
    EXPECT_LE(static_cast<int>(to.systemGdi) - static_cast<int>(from.systemGdi), kMaxGdiGrowth) << seen;
    EXPECT_LE(static_cast<int>(to.systemUser) - static_cast<int>(from.systemUser), kMaxGdiGrowth)
        << seen;
  }
}

int Cycles() {
  const char* set = std::getenv("DW_SOAK_CYCLES");
  const int n = set != nullptr ? std::atoi(set) : 0;
  return n >= 10 ? n : 40;
}

// The question's "Да", pressed from the thread's timer once the question is
// on the screen: whatever loop serves the thread before it (a repaint, the
// window brought to the front) leaves the timer waiting.
int yesPresses = 0;

void CALLBACK PressYesWhenAsked(HWND, UINT, UINT_PTR id, DWORD) {
  HWND form = test::FindForm(ReconnectDialog::kClassName);
  if (form == nullptr || !IsWindowVisible(form)) return;
  for (const test::ChildInfo& child : test::Children(form)) {
    if (child.text == Text(TextId::ButtonYes)) {
      KillTimer(nullptr, id);
      ++yesPresses;
      SendMessageW(child.hwnd, BM_CLICK, 0, 0);
      return;
    }
  }
}

bool ShownNow(HWND w) { return (GetWindowLongPtrW(w, GWL_STYLE) & WS_VISIBLE) != 0; }

class GuiSoakTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    ledger_ = Narrow(temp) + "soak-usage-" + std::to_string(GetCurrentProcessId()) + ".dat";
    registry_.SetText(kSettingsRoot, kSettingsKeyPath, "StartStage", EncryptString("2"));
    registry_.SetText(kSettingsRoot, kSettingsKeyPath, "Modem", EncryptString("Korvana GPRS Modem"));
    auto environment = std::make_shared<FixedEnvironment>();
    environment->executablePath = "C:\\Program Files\\Dialwave\\dialwave.exe";
    MainWindow::Setup setup{environment, &services_, [] { return true; }, &registry_};
    setup.ledgerPath = ledger_;
    window_ = std::make_unique<MainWindow>(std::move(setup));
    ASSERT_TRUE(window_->Create());
    services_.controller = &window_->controller();
    services_.dialResult = 0x100;
    window_->Prepare();
    window_->ShowAtStart();
    main_ = window_->hwnd();
  }
  void TearDown() override {
    window_.reset();
    DeleteFileA(ledger_.c_str());
  }

  MainController& c() { return window_->controller(); }
  void Click(ViewControl link) {
    SendMessageW(main_, WM_COMMAND, MAKEWPARAM(0, STN_CLICKED),
                 reinterpret_cast<LPARAM>(window_->Hwnd(link)));
  }
  // A few statistics samples: the graph, the labels and the ledger move.
  void Samples(int cycle) {
    for (int s = 1; s <= 3; ++s) {
      services_.lastThread->speed = static_cast<std::uint32_t>(1000 * (cycle % 7 + s));
      SendMessageW(main_, kMsgStatistics, static_cast<WPARAM>(5000 * s), static_cast<LPARAM>(800 * s));
    }
  }
  // The line drops; the real question is answered "Да" from inside its loop.
  void DropAndRestore(int cycle) {
    services_.openConnection = 0;
    services_.dialResult = static_cast<ras::Handle>(0x100 + cycle);
    const int before = yesPresses;
    const UINT_PTR timer = SetTimer(nullptr, 0, 1, PressYesWhenAsked);
    SendMessageW(main_, kMsgConnectionLost, 0, 0);
    if (yesPresses == before) KillTimer(nullptr, timer);
    ASSERT_EQ(yesPresses, before + 1) << "drop " << cycle << ": no question";
    ASSERT_EQ(services_.openConnection, static_cast<ras::Handle>(0x100 + cycle))
        << "drop " << cycle << ": not dialled again";
  }
  void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  std::string ledger_;
  MemoryRegistry registry_;
  FakeServices services_;
  std::unique_ptr<MainWindow> window_;
  HWND main_ = nullptr;
};

TEST_F(GuiSoakTest, DropsAnsweredYesLeaveNoGdiOrUserObjects) {
  const int cycles = Cycles();
  c().connectAction().Execute();
  ASSERT_EQ(services_.openConnection, 0x100u);
  GuiCount from;
  for (int i = 1; i <= cycles; ++i) {
    Samples(i);
    DropAndRestore(i);
    if (HasFatalFailure()) return;
    Pump();
    if (i == (cycles + 9) / 10) from = Count();
  }
  ExpectNoGrowth(from, Count(), "drops answered yes");
}

TEST_F(GuiSoakTest, ButtonCyclesAndEveryPanelLeaveNoGdiOrUserObjects) {
  const int rounds = Cycles() / 5;
  GuiCount from;
  for (int i = 1; i <= rounds; ++i) {
    services_.dialResult = static_cast<ras::Handle>(0x200 + i);
    c().connectAction().Execute();
    ASSERT_EQ(services_.openConnection, static_cast<ras::Handle>(0x200 + i));
    Samples(i);
    c().connectAction().Execute();
    ASSERT_EQ(services_.openConnection, 0u) << "round " << i << ": not hung up";

    Click(ViewControl::UsageLink);
    ASSERT_TRUE(ShownNow(window_->PanelWindowOf(Panel::Usage))) << "round " << i;
    c().ReturnFromUsage();
    Click(ViewControl::AboutLink);
    ASSERT_TRUE(ShownNow(window_->PanelWindowOf(Panel::About))) << "round " << i;
    c().ReturnFromAbout();
    Click(ViewControl::AgreementLink);
    ASSERT_TRUE(ShownNow(window_->PanelWindowOf(Panel::Agreement))) << "round " << i;
    c().LeaveAgreement();
    Click(ViewControl::SettingsLink);
    ASSERT_TRUE(ShownNow(window_->PanelWindowOf(Panel::Settings))) << "round " << i;
    c().chooseModemAction().Execute();
    ASSERT_TRUE(ShownNow(window_->PanelWindowOf(Panel::Main))) << "round " << i;
    Pump();
    if (i == (rounds + 9) / 10) from = Count();
  }
  ExpectNoGrowth(from, Count(), "button cycles and panels");
}

}  // namespace
}  // namespace dw::ui
