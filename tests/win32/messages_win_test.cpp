// The window-messages port on real windows and threads.
#include <gtest/gtest.h>


#include "platform/win32/adapters_win.h"
#include "platform/win32/win.h"
#include "platform/threads.h"

namespace dw {
namespace {

using namespace std::chrono_literals;

DWORD g_handlerThread = 0;

LRESULT CALLBACK Procedure(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg >= WM_APP) {
    g_handlerThread = GetCurrentThreadId();
    return static_cast<LRESULT>(msg - WM_APP + wp + lp);
  }
  return DefWindowProcW(w, msg, wp, lp);
}

HWND MakeWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"DwMessagesTest";
  RegisterClassW(&wc);
  return CreateWindowW(L"DwMessagesTest", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                       GetModuleHandleW(nullptr), nullptr);
}

TEST(Win32WindowMessages, WorkerSendIsHandledOnTheWaitingThread) {
  HWND w = MakeWindow();
  ASSERT_NE(w, nullptr);
  auto messages = MakeWin32WindowMessages();
  auto done = messages->NewEvent();
  std::intptr_t result = 0;
  dw::Thread worker([&] {
    result = messages->Send(reinterpret_cast<WindowHandle>(w), WM_APP + 3, 10, 20);
    done->Set();
  });
  const DWORD start = GetTickCount();
  EXPECT_TRUE(messages->WaitServing(*done, 60s));
  EXPECT_LT(GetTickCount() - start, 30000u) << "the wait must end on the event";
  worker.join();
  EXPECT_EQ(result, 33);
  EXPECT_EQ(g_handlerThread, GetCurrentThreadId());
  DestroyWindow(w);
}

TEST(Win32WindowMessages, WaitEndsAtTheLimitAndKeepsAQuitRequest) {
  auto messages = MakeWin32WindowMessages();
  auto never = messages->NewEvent();
  EXPECT_FALSE(never->IsSet());
  PostQuitMessage(7);
  const DWORD start = GetTickCount();
  EXPECT_FALSE(messages->WaitServing(*never, 200ms));
  EXPECT_GE(GetTickCount() - start, 150u);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);

  PostQuitMessage(8);
  messages->ProcessPending();
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 8u);
}

TEST(Win32WindowMessages, SendToAGoneWindowGivesZero) {
  HWND w = MakeWindow();
  DestroyWindow(w);
  auto messages = MakeWin32WindowMessages();
  EXPECT_EQ(messages->Send(reinterpret_cast<WindowHandle>(w), WM_APP + 1, 1, 1), 0);
}

}  // namespace
}  // namespace dw
