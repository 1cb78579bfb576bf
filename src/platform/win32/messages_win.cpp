#include "platform/win32/adapters_win.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/user_api_win.h"

namespace dw {
namespace {

class Win32Event final : public Event {
 public:
  Win32Event() : handle_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  void Set() override { SetEvent(handle_.get()); }
  bool IsSet() const override { return WaitForSingleObject(handle_.get(), 0) == WAIT_OBJECT_0; }
  HANDLE get() const { return handle_.get(); }

 private:
  UniqueEvent handle_;
};

class Win32WindowMessages final : public WindowMessages {
 public:
  std::unique_ptr<Event> NewEvent() override { return std::make_unique<Win32Event>(); }

  std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                     std::intptr_t lparam) override {
    return SendMessageA(reinterpret_cast<HWND>(window), message, wparam, lparam);
  }

  void ProcessPending() override {
    MSG msg;
    while (user::PeekRemove(msg)) {
      if (msg.message == WM_QUIT) {
        // Leave the quit request for the message loop that owns it.
        PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      TranslateMessage(&msg);
      user::Dispatch(msg);
    }
  }

  bool WaitServing(const Event& event, std::chrono::milliseconds limit) override {
    const HANDLE handle = static_cast<const Win32Event&>(event).get();
    const DWORD start = GetTickCount();
    const DWORD total = static_cast<DWORD>(limit.count());
    bool quit = false;
    int quitCode = 0;
    bool signalled = false;
    for (;;) {
      const DWORD elapsed = GetTickCount() - start;
      const DWORD remaining = elapsed >= total ? 0 : total - elapsed;
      // After a quit request only the event is awaited; the request is put
      // back for the outer loop at the end.
      const DWORD r = quit ? WaitForSingleObject(handle, remaining)
                           : MsgWaitForMultipleObjects(1, &handle, FALSE, remaining, QS_ALLINPUT);
      if (r == WAIT_OBJECT_0) {
        signalled = true;
        break;
      }
      if (r != WAIT_OBJECT_0 + 1 || quit) break;  // time is up (or the wait failed)
      MSG msg;
      while (!quit && user::PeekRemove(msg)) {
        if (msg.message == WM_QUIT) {
          quit = true;
          quitCode = static_cast<int>(msg.wParam);
          break;
        }
        TranslateMessage(&msg);
        user::Dispatch(msg);
      }
      if (WaitForSingleObject(handle, 0) == WAIT_OBJECT_0) {
        signalled = true;
        break;
      }
      if (GetTickCount() - start >= total) break;
    }
    if (quit) PostQuitMessage(quitCode);
    return signalled;
  }
};

}  // namespace

std::unique_ptr<WindowMessages> MakeWin32WindowMessages() {
  return std::make_unique<Win32WindowMessages>();
}

}  // namespace dw
