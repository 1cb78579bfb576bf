// The agreement and about panels on real windows over a skinned panel: the
// agreement gate run by the wheel, the scroll bar and a button release; the
// about panel's texts and links. Headless it reads the windows back; with
// DW_SCREEN_HOLD=PATH (tests/win32/panels_screen.sh under Xvfb) it also
// shows both panels, writes PATH.ready and waits for PATH.done.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/fake/fake_shell.h"
#include "platform/win32/canvas_win.h"
#include "platform/win32/wide.h"
#include "text/cp1251.h"
#include "text/texts.h"
#include "ui/controls/control_window_win.h"
#include "ui/controls/transparent_panel.h"
#include "ui/panels/about.h"
#include "ui/panels/about_panel_win.h"
#include "ui/panels/agreement.h"
#include "ui/panels/agreement_panel_win.h"

#include "test_handles_win.h"

namespace dw::ui {
namespace {

UniqueModule LoadProgramResources() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring exe(self);
  exe = exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"dialwave.exe";
  return UniqueModule(LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
}

// A frameless window like the main one: the skin background, and a
// transparent panel over it at the panels' place, hosting the content.
class SkinWindow final : public WindowBase {
 public:
  bool Create(const GdiPicture* skin, int x) {
    skin_ = skin;
    RegisterClassOnce("DwPanelsTestSkin");
    return WindowBase::Create("DwPanelsTestSkin", WS_EX_TOOLWINDOW, WS_POPUP | WS_CLIPCHILDREN,
                              "Dialwave panels", x, 100, 500, 360, nullptr);
  }

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM, LRESULT& result) override {
    if (message == WM_PAINT) {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      Paint(dc);
      EndPaint(hwnd(), &ps);
      result = 0;
      return true;
    }
    if (message == WM_PRINTCLIENT) {
      Paint(reinterpret_cast<HDC>(wparam));
      return true;
    }
    return false;
  }

 private:
  void Paint(HDC dc) {
    if (skin_ == nullptr) return;
    GdiCanvas canvas(dc);
    canvas.Draw(0, 0, *skin_);
  }
  const GdiPicture* skin_ = nullptr;
};

struct SkinnedHost {
  explicit SkinnedHost(int x) {
    const std::string dir = std::string("Z:") + DW_TEST_DATA_DIR + "/../../resources/skin/";
    std::ifstream in(dir + "background.gif", std::ios::binary);
    const std::vector<char> gif{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    skin = LoadPicture(gif.data(), gif.size());
    panel.background = skin.get();
    panel.backgroundTop = -49;
    panel.outerBevel = Bevel::None;
    window.Create(skin.get(), x);
    panelWindow.Create(window.hwnd(), 0, 49, 500, 265);
  }
  std::unique_ptr<GdiPicture> skin;
  TransparentPanel panel;
  SkinWindow window;
  ControlWindow panelWindow{panel};
};

void Wheel(HWND w, int delta) {
  SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))), 0);
}

Bounds BoundsIn(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> all;
  for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    all.push_back(c);
  }
  return all;
}

std::string TextOf(HWND w) {
  wchar_t text[2048] = {};
  GetWindowTextW(w, text, 2048);
  return Narrow(text);
}

// Shows `window` until the script has taken its picture (PATH.NAME.ready,
// then PATH.NAME.done), then hides it again.
void HoldOnScreen(HWND window, const std::string& name) {
  char hold[MAX_PATH] = {};
  if (GetEnvironmentVariableA("DW_SCREEN_HOLD", hold, MAX_PATH) == 0) return;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  const std::string base = std::string(hold) + "." + name;
  std::ofstream(base + ".ready") << "ready\n";
  const std::string done = base + ".done";
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 60000 &&
         GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(50);
  }
  ShowWindow(window, SW_HIDE);
}

TEST(AgreementPanel, TextFillsTheRangeInNumberedBoldSections) {
  SkinnedHost host(0);
  const UniqueModule resources = LoadProgramResources();
  AgreementPanel panel(host.panelWindow.hwnd(), {0, 0, 500, 265}, resources.get());
  ASSERT_TRUE(panel.Created());
  EXPECT_NE(panel.heading.Picture(), nullptr);
  EXPECT_EQ(BoundsIn(panel.textBox.hwnd()), (Bounds{10, 34, 470, 174}));
  EXPECT_EQ(BoundsIn(panel.scrollBar.hwnd()), (Bounds{480, 34, 16, 174}));
  EXPECT_EQ(panel.textBox.Range(), 1155);

  // The text reaches into the last screen of the range and never past it.
  EXPECT_LE(panel.TextBottom(), 1155);
  EXPECT_GT(panel.TextBottom(), 1155 - 40);
  const std::vector<HWND> texts = ChildrenOf(panel.textBox.Content());
  ASSERT_EQ(texts.size(), 2 * AgreementSections().size());
  int number = 0;
  int previousBottom = 0;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const Bounds b = BoundsIn(texts[i]);
    EXPECT_GE(b.y, previousBottom) << "texts do not overlap";
    previousBottom = b.y + b.height;
    const auto font = reinterpret_cast<HFONT>(SendMessageW(texts[i], WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    if (i % 2 == 0) {
      ++number;
      EXPECT_EQ(TextOf(texts[i]).rfind(std::to_string(number) + ". ", 0), 0u);
      EXPECT_GE(lf.lfWeight, FW_BOLD);
    } else {
      EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    }
    EXPECT_EQ(lf.lfCharSet, RUSSIAN_CHARSET);
  }
  EXPECT_EQ(previousBottom, panel.TextBottom());
}

TEST(AgreementPanel, WheelOpensTheGateOnlyNearTheEndAndNothingClosesIt) {
  SkinnedHost host(0);
  AgreementPanel panel(host.panelWindow.hwnd(), {0, 0, 500, 265}, nullptr);
  panel.SetAgreeEnabled(false);
  panel.ScrollToStart();
  for (int i = 0; i < 80; ++i) Wheel(panel.textBox.hwnd(), -120);
  EXPECT_EQ(panel.textBox.Position(), 960);
  EXPECT_EQ(panel.scrollBar.Position(), 960) << "the bar follows the wheel";
  EXPECT_FALSE(panel.AgreeEnabled());
  Wheel(panel.textBox.hwnd(), -120);
  EXPECT_EQ(panel.textBox.Position(), 972);
  EXPECT_TRUE(panel.AgreeEnabled());
  for (int i = 0; i < 5; ++i) Wheel(panel.textBox.hwnd(), -120);
  EXPECT_EQ(panel.textBox.Position(), 981);
  for (int i = 0; i < 100; ++i) Wheel(panel.textBox.hwnd(), 120);
  EXPECT_EQ(panel.textBox.Position(), 0);
  EXPECT_TRUE(panel.AgreeEnabled()) << "scrolled back, still enabled";
  // The start-up disables it again.
  panel.SetAgreeEnabled(false);
  EXPECT_FALSE(panel.AgreeEnabled());
}

TEST(AgreementPanel, ScrollBarMovesTheTextAndOpensTheGate) {
  SkinnedHost host(0);
  AgreementPanel panel(host.panelWindow.hwnd(), {0, 0, 500, 265}, nullptr);
  panel.SetAgreeEnabled(false);
  HWND bar = panel.scrollBar.Bar().hwnd();
  for (int i = 0; i < 6; ++i) {
    SendMessageW(panel.scrollBar.hwnd(), WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(bar));
  }
  EXPECT_EQ(panel.scrollBar.Position(), 900);
  EXPECT_EQ(panel.textBox.Position(), 900);
  EXPECT_EQ(BoundsIn(panel.textBox.Content()).y, -900);
  EXPECT_FALSE(panel.AgreeEnabled());
  EXPECT_EQ(GetFocus(), panel.textBox.hwnd());
  SendMessageW(panel.scrollBar.hwnd(), WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(bar));
  EXPECT_EQ(panel.scrollBar.Position(), 986);
  EXPECT_EQ(panel.textBox.Position(), 981) << "the box stops at range minus its height";
  EXPECT_TRUE(panel.AgreeEnabled());
}

TEST(AgreementPanel, AReleaseAfterDraggingOpensTheGateOverTheBoxItsTextsOrThePanel) {
  SkinnedHost host(0);
  AgreementPanel panel(host.panelWindow.hwnd(), {0, 0, 500, 265}, nullptr);
  for (HWND target : {panel.hwnd(), panel.textBox.hwnd(), panel.textBox.Content()}) {
    panel.SetAgreeEnabled(false);
    panel.ScrollToStart();
    SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_FALSE(panel.AgreeEnabled()) << "at the start";
    panel.textBox.SetPosition(971);  // moved by no handler of the panel
    SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_FALSE(panel.AgreeEnabled()) << "971 is not past the gate";
    panel.textBox.SetPosition(972);
    EXPECT_FALSE(panel.AgreeEnabled()) << "no release yet";
    SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(panel.AgreeEnabled());
    EXPECT_EQ(GetFocus(), panel.textBox.hwnd());
  }
}

TEST(AgreementPanel, ButtonsOrTheBackLink) {
  SkinnedHost host(0);
  AgreementPanel panel(host.panelWindow.hwnd(), {0, 0, 500, 265}, nullptr);
  int agreed = 0, disagreed = 0, returned = 0;
  panel.onAgree = [&] { ++agreed; };
  panel.onDisagree = [&] { ++disagreed; };
  panel.onReturn = [&] { ++returned; };
  panel.agreeButton.LeftButtonDown(40, 12);
  panel.agreeButton.LeftButtonUp(40, 12);
  panel.disagreeButton.LeftButtonDown(40, 12);
  panel.disagreeButton.LeftButtonUp(40, 12);
  EXPECT_EQ(agreed, 1);
  EXPECT_EQ(disagreed, 1);
  EXPECT_EQ(panel.agreeButton.caption, Utf8ToCp1251("Согласен"));
  EXPECT_EQ(panel.disagreeButton.caption, Utf8ToCp1251("Не согласен"));

  EXPECT_FALSE(panel.backLink.Visible());
  panel.ShowDecisionButtons(false);
  EXPECT_TRUE(panel.backLink.Visible());
  EXPECT_EQ(panel.backLink.Text(), Utf8ToCp1251("<  Вернуться в программу"));
  int visibleSkinned = 0;
  for (HWND c : ChildrenOf(panel.hwnd())) {
    char kind[64] = {};
    GetClassNameA(c, kind, 64);
    if (lstrcmpA(kind, ControlWindow::kClassName) == 0 && IsWindowVisible(c)) ++visibleSkinned;
  }
  EXPECT_EQ(visibleSkinned, 0);
  SendMessageW(panel.hwnd(), WM_COMMAND, MAKEWPARAM(0, STN_CLICKED),
               reinterpret_cast<LPARAM>(panel.backLink.hwnd()));
  EXPECT_EQ(returned, 1);
}

TEST(AboutPanel, TextsAndLinksOpenedByDoubleClickOnly) {
  SkinnedHost host(0);
  const UniqueModule resources = LoadProgramResources();
  FakeShell shell;
  AboutPanel panel(host.panelWindow.hwnd(), {0, 0, 500, 265}, resources.get(), shell);
  ASSERT_TRUE(panel.Created());
  EXPECT_NE(panel.heading.Picture(), nullptr);
  panel.SetVersion("1.0");
  EXPECT_EQ(panel.versionText.Text(), Utf8ToCp1251("Версия: 1.0"));
  EXPECT_EQ(panel.productText.Text(), AboutProductText());
  EXPECT_EQ(panel.questionsText.Text(),
            Utf8ToCp1251("Вопросы и предложения по работе программы присылайте по адресу:"));
  // Every text fits the panel and the texts keep apart (the version sits in
  // the product text's empty lines).
  const std::vector<Label> stacked{panel.productText, panel.noticeText, panel.questionsText,
                                   panel.webLink,     panel.mailLink,   panel.backLink};
  for (std::size_t i = 0; i < stacked.size(); ++i) {
    const Bounds b = stacked[i].GetBounds();
    EXPECT_LE(b.x + b.width, 500);
    EXPECT_LE(b.y + b.height, 265);
    if (i > 0) {
      const Bounds above = stacked[i - 1].GetBounds();
      EXPECT_GE(b.y, above.y + above.height) << stacked[i].Text();
    }
  }

  const auto command = [&](const Label& link, WORD code) {
    SendMessageW(panel.hwnd(), WM_COMMAND, MAKEWPARAM(0, code), reinterpret_cast<LPARAM>(link.hwnd()));
  };
  command(panel.webLink, STN_CLICKED);
  command(panel.mailLink, STN_CLICKED);
  EXPECT_TRUE(shell.opened.empty()) << "a single click does nothing";
  command(panel.webLink, STN_DBLCLK);
  command(panel.mailLink, STN_DBLCLK);
  EXPECT_EQ(shell.opened, (std::vector<std::string>{"http://www.korvana.example/",
                                                    "mailto:support@korvana.example"}));
  int returned = 0;
  panel.onReturn = [&] { ++returned; };
  command(panel.backLink, STN_CLICKED);
  EXPECT_EQ(returned, 1);

  // Links in the skin's link colour, underlined.
  HDC dc = GetDC(panel.webLink.hwnd());
  SendMessageW(panel.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(panel.webLink.hwnd()));
  EXPECT_EQ(GetTextColor(dc), kLinkColour);
  ReleaseDC(panel.webLink.hwnd(), dc);
  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(panel.mailLink.hwnd(), WM_GETFONT, 0, 0)),
             sizeof lf, &lf);
  EXPECT_TRUE(lf.lfUnderline);
}

// The report link's writer and teller in the test below: plain functions.
struct ReportLinkProbe {
  HANDLE release = nullptr;
  std::atomic<int> calls{0};
  std::atomic<DWORD> writer{0};
  std::string written;
  bool result = true;
  std::vector<std::string> told;
};
ReportLinkProbe* g_probe = nullptr;

// Serves this thread's messages until `done` holds or ten seconds pass.
bool ServeUntil(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

// The report link: the report is written on a worker while the panel keeps
// answering, then opened; a report that is not written or not opened is
// told with its file, and a second click while one is written is ignored.
TEST(AboutPanel, TheReportLinkWritesOnAWorkerThenOpensTheFileOrSaysWhy) {
  SkinnedHost host(0);
  FakeShell shell;
  shell.folders[16] = "C:\\Desk";  // CSIDL_DESKTOPDIRECTORY
  AboutPanel panel(host.panelWindow.hwnd(), {0, 0, 500, 265}, nullptr, shell);
  ASSERT_TRUE(panel.Created());
  EXPECT_EQ(panel.reportLink.Text(), Utf8ToCp1251("Отчёт для службы поддержки"));
  const Bounds link = panel.reportLink.GetBounds(), mail = panel.mailLink.GetBounds(),
               back = panel.backLink.GetBounds();
  EXPECT_GE(link.x, mail.x + mail.width);
  EXPECT_LE(link.x + link.width, 500);
  EXPECT_LE(link.y + link.height, back.y);
  const auto click = [&] {
    SendMessageW(panel.hwnd(), WM_COMMAND, MAKEWPARAM(0, STN_CLICKED),
                 reinterpret_cast<LPARAM>(panel.reportLink.hwnd()));
  };
  click();  // nothing to write with yet
  EXPECT_FALSE(panel.ReportRunning());

  ReportLinkProbe probe;
  g_probe = &probe;
  probe.release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<int>& calls = probe.calls;
  std::atomic<DWORD>& writer = probe.writer;
  std::string& written = probe.written;
  bool& result = probe.result;
  std::vector<std::string>& told = probe.told;
  panel.tell = [](const std::string& text) { g_probe->told.push_back(text); };
  panel.writeReport = [](const Environment&, const std::string& path) {
    ++g_probe->calls;
    g_probe->writer = GetCurrentThreadId();
    g_probe->written = path;
    WaitForSingleObject(g_probe->release, 10000);
    return g_probe->result;
  };
  click();
  EXPECT_FALSE(panel.ReportRunning()) << "no environment to write with";
  panel.reportEnvironment = std::make_shared<FixedEnvironment>();
  click();
  ASSERT_TRUE(panel.ReportRunning());
  ASSERT_TRUE(ServeUntil([&] { return calls.load() == 1; }));
  // Held on the worker: the panel still answers, and a second click waits for nothing.
  DWORD_PTR answer = 0;
  EXPECT_NE(SendMessageTimeoutW(panel.hwnd(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer), 0);
  click();
  SetEvent(probe.release);
  ASSERT_TRUE(ServeUntil([&] { return !panel.ReportRunning(); }));
  EXPECT_EQ(calls.load(), 1);
  EXPECT_NE(writer.load(), GetCurrentThreadId());
  EXPECT_EQ(written.rfind("C:\\Desk\\Dialwave-report-", 0), 0u) << written;
  EXPECT_EQ(written.substr(written.size() - 4), ".txt");
  EXPECT_EQ(shell.opened, std::vector<std::string>{written});
  EXPECT_TRUE(told.empty());

  shell.openFails = true;
  click();
  ASSERT_TRUE(ServeUntil([&] { return !panel.ReportRunning(); }));
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0], ReportNotOpenedText(written));
  EXPECT_NE(told[0].find(written.substr(written.rfind('\\') + 1)), std::string::npos)
      << "the file is named";

  result = false;
  click();
  ASSERT_TRUE(ServeUntil([&] { return !panel.ReportRunning(); }));
  ASSERT_EQ(told.size(), 2u);
  EXPECT_EQ(told[1], ReportNotWrittenText(written));
  EXPECT_EQ(shell.opened.size(), 2u) << "nothing is opened that was not written";

  shell.folders.clear();
  click();
  EXPECT_FALSE(panel.ReportRunning());
  ASSERT_EQ(told.size(), 3u);
  EXPECT_EQ(told[2], Text(TextId::AboutReportNoDesktop));
  EXPECT_EQ(calls.load(), 3);
  CloseHandle(probe.release);
  g_probe = nullptr;
}

TEST(PanelsOnScreen, AgreementScrolledAndAboutSideBySide) {
  SkinnedHost left(100);
  SkinnedHost right(100);
  const UniqueModule resources = LoadProgramResources();
  FakeShell shell;
  AgreementPanel agreement(left.panelWindow.hwnd(), {0, 0, 500, 265}, resources.get());
  AboutPanel about(right.panelWindow.hwnd(), {0, 0, 500, 265}, resources.get(), shell);
  about.SetVersion("1.0");
  agreement.SetAgreeEnabled(false);
  // Scrolled to the last section, which must be readable to its end.
  for (int i = 0; i < 100; ++i) Wheel(agreement.textBox.hwnd(), -120);
  EXPECT_TRUE(agreement.AgreeEnabled());
  HoldOnScreen(left.window.hwnd(), "agreement");
  HoldOnScreen(right.window.hwnd(), "about");
}

}  // namespace
}  // namespace dw::ui
