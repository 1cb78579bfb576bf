#include "platform/win32/user_api_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>

#include "platform/win32/adapters_win.h"
#include "platform/win32/wide.h"

namespace dw::user {
namespace {

// 0 until decided, then 1 (ANSI) or 2 (UTF-16). Deciding twice gives the
// same answer, so no lock is needed.
std::atomic<int> family{0};

int Decide() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  const bool nine = GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
  return nine ? 1 : 2;
}

std::string Bytes(std::string_view text) {
  return std::string(text);
}

// TOOLINFO as comctl32 4.70 knew it: what 98 without updates takes.
template <class ToolInfo, class Char>
ToolInfo Tool(HWND owner, UINT_PTR id, Char* text) {
  ToolInfo tool{};
  tool.cbSize = sizeof(Char) == 1 ? TTTOOLINFOA_V1_SIZE : TTTOOLINFOW_V1_SIZE;
  tool.hwnd = owner;
  tool.uId = id;
  tool.lpszText = text;
  return tool;
}
TTTOOLINFOA ToolA(HWND owner, UINT_PTR id, char* text) {
  return Tool<TTTOOLINFOA>(owner, id, text);
}
TTTOOLINFOW ToolW(HWND owner, UINT_PTR id, wchar_t* text) {
  return Tool<TTTOOLINFOW>(owner, id, text);
}

}  // namespace

bool UsesAnsi() {
  int f = family.load(std::memory_order_relaxed);
  if (f == 0) {
    f = Decide();
    family.store(f, std::memory_order_relaxed);
  }
  return f == 1;
}

namespace {

// The same class in either family's layout and functions.
template <class ClassInfo, class Char>
bool RegisterIn(const WindowClass& wc, const Char* name,
                BOOL(WINAPI* info)(HINSTANCE, const Char*, ClassInfo*),
                ATOM(WINAPI* registerClass)(const ClassInfo*)) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  ClassInfo existing{};
  existing.cbSize = sizeof existing;
  if (info(instance, name, &existing)) return true;
  ClassInfo c{};
  c.cbSize = sizeof c;
  c.style = wc.style;
  c.lpfnWndProc = wc.procedure;
  c.hInstance = instance;
  c.hIcon = wc.icon;
  c.hIconSm = wc.icon;
  c.hCursor = wc.cursor;
  c.hbrBackground = wc.background;
  c.lpszClassName = name;
  return registerClass(&c) != 0;
}

}  // namespace

bool RegisterWindowClass(const WindowClass& wc) {
  if (UsesAnsi()) return RegisterIn(wc, wc.name, &GetClassInfoExA, &RegisterClassExA);
  const std::wstring name = Wide(wc.name);
  return RegisterIn(wc, name.c_str(), &GetClassInfoExW, &RegisterClassExW);
}

HWND CreateWindowText(DWORD exStyle, const char* className, std::string_view text, DWORD style,
                      int x, int y, int width, int height, HWND parent, HMENU menu,
                      void* createParam) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  if (UsesAnsi()) {
    return CreateWindowExA(exStyle, className, Bytes(text).c_str(), style, x, y, width, height,
                           parent, menu, instance, createParam);
  }
  // The class name stays ASCII; the system classes of comctl32 take either.
  return CreateWindowExW(exStyle, Wide(className).c_str(), Wide(text).c_str(), style, x, y, width,
                         height, parent, menu, instance, createParam);
}

LRESULT DefProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return UsesAnsi() ? DefWindowProcA(window, message, wparam, lparam)
                    : DefWindowProcW(window, message, wparam, lparam);
}

WNDPROC WindowProc(HWND window) {
  return reinterpret_cast<WNDPROC>(UsesAnsi() ? GetWindowLongPtrA(window, GWLP_WNDPROC)
                                              : GetWindowLongPtrW(window, GWLP_WNDPROC));
}

WNDPROC SetWindowProc(HWND window, WNDPROC procedure) {
  const auto value = reinterpret_cast<LONG_PTR>(procedure);
  return reinterpret_cast<WNDPROC>(UsesAnsi() ? SetWindowLongPtrA(window, GWLP_WNDPROC, value)
                                              : SetWindowLongPtrW(window, GWLP_WNDPROC, value));
}

LRESULT CallProc(WNDPROC previous, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return UsesAnsi() ? CallWindowProcA(previous, window, message, wparam, lparam)
                    : CallWindowProcW(previous, window, message, wparam, lparam);
}

bool PeekRemove(MSG& msg) {
  return (UsesAnsi() ? PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)
                     : PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) != FALSE;
}

LRESULT Dispatch(const MSG& msg) {
  return UsesAnsi() ? DispatchMessageA(&msg) : DispatchMessageW(&msg);
}

bool IsDialogMsg(HWND dialog, MSG& msg) {
  return (UsesAnsi() ? IsDialogMessageA(dialog, &msg) : IsDialogMessageW(dialog, &msg)) != FALSE;
}

void SetText(HWND window, std::string_view cp1251) {
  if (UsesAnsi()) {
    SetWindowTextA(window, Bytes(cp1251).c_str());
  } else {
    SetWindowTextW(window, Wide(cp1251).c_str());
  }
}

std::string GetText(HWND window) {
  if (UsesAnsi()) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
    return text;
  }
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return Narrow(text);
}

HWND FindTopLevel(const char* className, const std::string* cp1251Title) {
  if (cp1251Title == nullptr) return FindWindowA(className, nullptr);
  if (UsesAnsi()) return FindWindowA(className, cp1251Title->c_str());
  return FindWindowW(Wide(className).c_str(), Wide(*cp1251Title).c_str());
}

int AddListItem(HWND list, std::string_view cp1251) {
  if (UsesAnsi()) {
    const std::string text = Bytes(cp1251);
    return static_cast<int>(
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
  }
  const std::wstring text = Wide(cp1251);
  return static_cast<int>(
      SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

std::string ListItem(HWND list, int index) {
  if (UsesAnsi()) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT copied =
        SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : static_cast<std::size_t>(copied));
    return text;
  }
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
  if (length == LB_ERR) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied =
      SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == LB_ERR ? 0 : static_cast<std::size_t>(copied));
  return Narrow(text);
}

bool AppendMenuText(HMENU menu, UINT flags, UINT_PTR id, std::string_view cp1251) {
  if (UsesAnsi()) return AppendMenuA(menu, flags, id, Bytes(cp1251).c_str()) != FALSE;
  return AppendMenuW(menu, flags, id, Wide(cp1251).c_str()) != FALSE;
}

int MessageBoxText(HWND owner, std::string_view cp1251Text, std::string_view cp1251Caption,
                   UINT type) {
  if (UsesAnsi()) {
    return MessageBoxA(owner, Bytes(cp1251Text).c_str(), Bytes(cp1251Caption).c_str(), type);
  }
  return MessageBoxW(owner, Wide(cp1251Text).c_str(), Wide(cp1251Caption).c_str(), type);
}

int DrawTextIn(HDC dc, std::string_view cp1251, RECT& rect, UINT format) {
  if (UsesAnsi()) {
    // DrawTextW is one of the 9x stubs.
    return DrawTextA(dc, cp1251.data(), static_cast<int>(cp1251.size()), &rect, format);
  }
  const std::wstring text = Wide(cp1251);
  return DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

bool EnsureCommonControls(DWORD classes) {
  static const HMODULE library = LoadSystemLibrary("comctl32.dll");
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto init = library == nullptr ? nullptr
      : reinterpret_cast<InitFunction>(
            reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
  const INITCOMMONCONTROLSEX request{sizeof request, classes};
  return init != nullptr && init(&request) != FALSE;
}

HWND CreateTooltip(DWORD style, HWND owner) {
  EnsureCommonControls(ICC_BAR_CLASSES);
  return CreateWindowText(WS_EX_TOPMOST, TOOLTIPS_CLASSA, "", WS_POPUP | style, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr);
}

bool AddTool(HWND tooltip, UINT flags, HWND owner, UINT_PTR id, std::string_view cp1251) {
  if (UsesAnsi()) {
    std::string text = Bytes(cp1251);
    TTTOOLINFOA tool = ToolA(owner, id, text.data());
    tool.uFlags = flags;
    return SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
  }
  std::wstring text = Wide(cp1251);
  TTTOOLINFOW tool = ToolW(owner, id, text.data());
  tool.uFlags = flags;
  return SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
}

void SetToolText(HWND tooltip, HWND owner, UINT_PTR id, std::string_view cp1251) {
  if (UsesAnsi()) {
    std::string text = Bytes(cp1251);
    TTTOOLINFOA tool = ToolA(owner, id, text.data());
    SendMessageA(tooltip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    return;
  }
  std::wstring text = Wide(cp1251);
  TTTOOLINFOW tool = ToolW(owner, id, text.data());
  SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TrackTool(HWND tooltip, HWND owner, UINT_PTR id, bool active) {
  // The message reads only the tool's owner and id: one number for both.
  TTTOOLINFOA tool = ToolA(owner, id, nullptr);
  SendMessageA(tooltip, TTM_TRACKACTIVATE, active ? TRUE : FALSE, reinterpret_cast<LPARAM>(&tool));
}

std::string ToolText(HWND tooltip, HWND owner, UINT_PTR id) {
  // Old tooltips copy up to 80 characters and ignore the size; newer ones
  // take the buffer's size in wparam.
  constexpr std::size_t kRoom = 1024;
  if (UsesAnsi()) {
    std::string text(kRoom, '\0');
    TTTOOLINFOA tool = ToolA(owner, id, text.data());
    SendMessageA(tooltip, TTM_GETTEXTA, kRoom, reinterpret_cast<LPARAM>(&tool));
    text.resize(std::char_traits<char>::length(text.c_str()));
    return text;
  }
  std::wstring text(kRoom, L'\0');
  TTTOOLINFOW tool = ToolW(owner, id, text.data());
  SendMessageW(tooltip, TTM_GETTEXTW, kRoom, reinterpret_cast<LPARAM>(&tool));
  text.resize(std::char_traits<wchar_t>::length(text.c_str()));
  return Narrow(text);
}

namespace {

// The icon's fields of either layout (code page 1251 or UTF-16 tip).
template <typename Data, typename Chars>
Data IconData(DWORD size, HWND owner, UINT id, UINT flags, UINT callbackMessage, HICON icon,
              const Chars& tip) {
  Data data{};
  data.cbSize = size;
  data.hWnd = owner;
  data.uID = id;
  data.uFlags = flags;
  data.uCallbackMessage = callbackMessage;
  data.hIcon = icon;
  std::copy_n(tip.data(), std::min(tip.size(), std::size_t{63}), data.szTip);
  return data;
}

}  // namespace

bool NotifyIcon(DWORD command, HWND owner, UINT id, UINT flags, UINT callbackMessage, HICON icon,
                std::string_view cp1251Tip) {
  if (UsesAnsi()) {
    NOTIFYICONDATAA data = IconData<NOTIFYICONDATAA>(NOTIFYICONDATAA_V1_SIZE, owner, id, flags,
                                                     callbackMessage, icon, cp1251Tip);
    return Shell_NotifyIconA(command, &data) != FALSE;
  }
  NOTIFYICONDATAW data = IconData<NOTIFYICONDATAW>(NOTIFYICONDATAW_V1_SIZE, owner, id, flags,
                                                   callbackMessage, icon, Wide(cp1251Tip));
  return Shell_NotifyIconW(command, &data) != FALSE;
}

namespace {

// The balloon's fields of either layout (code page 1251 or UTF-16 texts).
template <typename Data, typename Chars>
Data BalloonData(DWORD size, HWND owner, UINT id, const Chars& title, const Chars& text) {
  Data data{};
  data.cbSize = size;
  data.hWnd = owner;
  data.uID = id;
  data.uFlags = NIF_INFO;
  data.uTimeout = 15000;
  data.dwInfoFlags = NIIF_WARNING;
  std::copy_n(text.data(), std::min(text.size(), std::size_t{255}), data.szInfo);
  std::copy_n(title.data(), std::min(title.size(), std::size_t{63}), data.szInfoTitle);
  return data;
}

}  // namespace

bool NotifyBalloon(HWND owner, UINT id, std::string_view cp1251Title, std::string_view cp1251Text) {
  if (UsesAnsi()) {
    NOTIFYICONDATAA data =
        BalloonData<NOTIFYICONDATAA>(NOTIFYICONDATAA_V2_SIZE, owner, id, cp1251Title, cp1251Text);
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
  }
  NOTIFYICONDATAW data = BalloonData<NOTIFYICONDATAW>(NOTIFYICONDATAW_V2_SIZE, owner, id,
                                                      Wide(cp1251Title), Wide(cp1251Text));
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

HICON SystemIcon(LPCWSTR idi) {
  return LoadIconA(nullptr, MAKEINTRESOURCEA(LOWORD(reinterpret_cast<ULONG_PTR>(idi))));
}

bool ShellOpen(std::string_view cp1251Target) {
  const HINSTANCE result =
      UsesAnsi()
          ? ShellExecuteA(nullptr, "open", Bytes(cp1251Target).c_str(), "", "", SW_SHOWNORMAL)
          : ShellExecuteW(nullptr, L"open", Wide(cp1251Target).c_str(), L"", L"", SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace dw::user
