#include "ui/main_window_win.h"

#include "app/startup.h"
#include "log/log.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide.h"
#include "ui/messages.h"

namespace dw::ui {

TfrmGprsMain::TfrmGprsMain(std::shared_ptr<const Environment> environment)
    : environment_(std::move(environment)), registry_(MakeWin32Registry()) {}

bool TfrmGprsMain::Create() {
  LoadSettings(*registry_, Startup().commandLine, settings_);
  settings_.ProgramVersion =
      ProgramVersion(ReadVersionInfo(*environment_, environment_->ExecutablePath()));
  WriteLog("WINVER", static_cast<std::int32_t>(Startup().winVer), "version of Windows");

  RegisterClassOnce(kClassName, CS_DBLCLKS, LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
  // A popup with no frame: client and window are the same size.
  const DWORD style = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT work{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
    work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  const int x = work.left + ((work.right - work.left) - kClientWidth) / 2;
  const int y = work.top + ((work.bottom - work.top) - kClientHeight) / 2;
  if (!WindowBase::Create(kClassName, WS_EX_APPWINDOW, style, Wide(TextId::AppTitle).c_str(), x, y,
                          kClientWidth, kClientHeight, nullptr)) {
    return false;
  }
  // The two top corners cut off at an angle, as the skin draws them.
  regionForm_ = std::make_unique<WindowRegionForm>(hwnd(), true);
  frMain_ = std::make_unique<TFormRegion>(*regionForm_, "frMain");
  frMain_->SetRegion("L6,0,495,0,498,2,501,8,501,358,0,358,0,6,2,2");
  regionForm_->SetLoading(false);
  frMain_->Loaded();
  return true;
}

void TfrmGprsMain::ShowAtStart(bool minimised) {
  if (minimised) {
    MinimiseToTray();
    return;
  }
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
  UpdateWindow(hwnd());
}

void TfrmGprsMain::MinimiseToTray() {
  // Hidden, the window has no taskbar button left.
  ShowWindow(hwnd(), SW_HIDE);
}

void TfrmGprsMain::RefreshOnRestore() {
  if (!IsWindowVisible(hwnd()) || IsIconic(hwnd())) ShowWindow(hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
}

void TfrmGprsMain::Paint(HDC dc) {
  RECT r{0, 0, kClientWidth, kClientHeight};
  HBRUSH background = CreateSolidBrush(RGB(0x1E, 0x4B, 0x8C));
  FillRect(dc, &r, background);
  DeleteObject(background);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
  // The stock font has no Cyrillic letters on a non-Russian system.
  UniqueFont font(CreateFontW(-16, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
  const HGDIOBJ old = SelectObject(dc, font.get());
  const std::wstring title = Wide(TextId::AppTitle);
  DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &r,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
}

bool TfrmGprsMain::OnMessage(UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  switch (message) {
    case kMsgWakeUp:
      RefreshOnRestore();
      result = 0;
      return true;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      Paint(dc);
      EndPaint(hwnd(), &ps);
      return true;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wparam));
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_MINIMIZE) {
        MinimiseToTray();
        return true;
      }
      return false;
    case WM_DESTROY:
      SaveSettingsAtClose(*registry_, Startup().commandLine, settings_);
      PostQuitMessage(0);
      return true;
    default:
      return false;
  }
}

}  // namespace dw::ui
