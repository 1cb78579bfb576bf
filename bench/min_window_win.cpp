// The floor for start-up timings (scripts/bench-start): the least a Win32
// program does to put one painted window on the screen, linked the way
// dialwave.exe is and placed where its main window goes (500 x 360, no
// frame, centred in the work area), so the same screen check times both.
#include "platform/win32/win.h"

namespace {

constexpr int kWidth = 500;
constexpr int kHeight = 360;

LRESULT CALLBACK FloorProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  WNDCLASSA type{};
  type.lpfnWndProc = FloorProc;
  type.hInstance = instance;
  type.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  // Anything but black: the check looks for a pixel that is no longer Xvfb's.
  type.hbrBackground = CreateSolidBrush(RGB(0x2F, 0x5F, 0x9F));
  type.lpszClassName = "DialwaveStartFloor";
  if (RegisterClassA(&type) == 0) return 1;

  RECT work{};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
    work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  const HWND window = CreateWindowExA(
      WS_EX_APPWINDOW, type.lpszClassName, "Start floor", WS_POPUP | WS_SYSMENU,
      work.left + (work.right - work.left - kWidth) / 2,
      work.top + (work.bottom - work.top - kHeight) / 2, kWidth, kHeight, nullptr, nullptr,
      instance, nullptr);
  if (window == nullptr) return 1;
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
