// The real dialwave.exe, started twice: one process and one window remain,
// and the running copy comes back to the front.
#include <gtest/gtest.h>

#include "support_win.h"

namespace dw {
namespace {

using test::BinDir;
using test::Child;
using test::Start;
using test::WaitForWindow;

constexpr const wchar_t* kMainClass = L"TfrmGprsMain";
constexpr const wchar_t* kAppClass = L"KorvanaDialwaveApplication";
constexpr const wchar_t* kTitle = L"Корвана Dialwave";

class SingleInstance : public ::testing::Test {
 protected:
  // These tests share one prefix's dialwave.exe name space; they take turns
  // even when the test runner starts several at once.
  void SetUp() override {
    turn_.reset(CreateMutexW(nullptr, FALSE, L"DwSingleInstanceTests"));
    ASSERT_TRUE(turn_);
    const DWORD r = WaitForSingleObject(turn_.get(), 150000);
    ASSERT_TRUE(r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) << "another test kept the turn";
  }

  void TearDown() override {
    CloseAll();
    ReleaseMutex(turn_.get());
  }

  void CloseAll() {
    for (Child* c : {&first_, &second_}) {
      if (!c->process) continue;
      if (c->WaitExit(0) == -1) {
        if (HWND main = FindWindowW(kMainClass, kTitle)) PostMessageW(main, WM_CLOSE, 0, 0);
        if (c->WaitExit(15000) == -1) {
          ADD_FAILURE() << "dialwave.exe did not close on WM_CLOSE";
          c->Kill();
        }
      }
    }
  }

  HWND StartFirst(const std::wstring& arguments) {
    first_ = Start(BinDir() + L"dialwave.exe", arguments);
    EXPECT_TRUE(first_.process) << "could not start dialwave.exe";
    HWND main = WaitForWindow(kMainClass, kTitle, 30000);
    EXPECT_NE(main, nullptr) << "no main window appeared";
    return main;
  }

  UniqueKernelHandle turn_;
  Child first_;
  Child second_;
};

TEST_F(SingleInstance, SecondStartWakesTheFirstAndEnds) {
  HWND main = StartFirst(L"/auto");
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(IsWindowVisible(main)) << "/auto leaves no window and no taskbar button";

  second_ = Start(BinDir() + L"dialwave.exe", L"");
  ASSERT_TRUE(second_.process);
  EXPECT_EQ(second_.WaitExit(30000), 0) << "the second copy must end by itself";

  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_FALSE(IsIconic(main));
  EXPECT_EQ(GetForegroundWindow(), main);
  EXPECT_EQ(test::CountProcesses(L"dialwave.exe"), 1);
  EXPECT_EQ(test::CountWindows(kMainClass), 1);
  EXPECT_EQ(first_.WaitExit(0), -1) << "the first copy must keep running";
}

TEST_F(SingleInstance, WakeUpMessageReachesTheMainWindowThroughTheApplicationWindow) {
  HWND main = StartFirst(L"/auto");
  ASSERT_NE(main, nullptr);
  HWND app = FindWindowW(kAppClass, kTitle);
  ASSERT_NE(app, nullptr) << "the application window carries the title";
  EXPECT_FALSE(IsWindowVisible(app));

  // The number itself, as a second copy of any version sends it (kMsgWakeUp).
  SendMessageW(app, 0x404, 0, 0);
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_FALSE(IsIconic(main));
  EXPECT_FALSE(IsWindowVisible(app)) << "the application window never shows itself";

  // Hidden again and woken directly, as the tray will do.
  ShowWindow(main, SW_HIDE);
  SendMessageW(main, 0x404, 0, 0);
  EXPECT_TRUE(IsWindowVisible(main));
}

TEST_F(SingleInstance, NormalStartShowsAFramelessCentredWindow) {
  // "/auto" in another letter case, or only in second place, is a normal start.
  for (const wchar_t* arguments : {L"/AUTO", L"/l /auto"}) {
    SCOPED_TRACE(testing::Message() << arguments);
    HWND main = StartFirst(arguments);
    ASSERT_NE(main, nullptr);
    // The window exists a moment before the program shows it.
    for (int i = 0; i < 200 && !IsWindowVisible(main); ++i) Sleep(50);
    EXPECT_TRUE(IsWindowVisible(main));
    RECT client{};
    RECT window{};
    GetClientRect(main, &client);
    GetWindowRect(main, &window);
    EXPECT_EQ(client.right - client.left, 500);
    EXPECT_EQ(client.bottom - client.top, 360);
    EXPECT_EQ(window.right - window.left, 500) << "no frame";
    EXPECT_EQ(window.bottom - window.top, 360) << "no caption";
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((window.left + window.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, (work.top + work.bottom) / 2, 1);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(first_.WaitExit(15000), 0);
  }
}

TEST_F(SingleInstance, SecondCopyThatFindsNoWindowEndsSilently) {
  // A first copy that is still starting: it holds the name, has no window yet.
  UniqueKernelHandle mutex(CreateMutexA(nullptr, FALSE, "KorvanaDialwave"));
  ASSERT_TRUE(mutex);
  second_ = Start(BinDir() + L"dialwave.exe", L"");
  ASSERT_TRUE(second_.process);
  EXPECT_EQ(second_.WaitExit(30000), 0);
  EXPECT_EQ(FindWindowW(kMainClass, nullptr), nullptr) << "a second copy creates no main window";
}

}  // namespace
}  // namespace dw
