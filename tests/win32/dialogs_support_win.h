// Helpers for the dialog tests: the child windows of a form as another
// program (or an assistive tool) reads them, and running code inside a modal
// loop from a timer.
#pragma once

#include "platform/win32/win.h"

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/wide.h"

namespace dw::ui::test {

struct ChildInfo {
  HWND hwnd = nullptr;
  std::wstring kind;
  std::string text;  // code page 1251
  RECT bounds{};     // in the parent's client coordinates
  bool visible = false;
  int width() const { return bounds.right - bounds.left; }
  int height() const { return bounds.bottom - bounds.top; }
};

inline BOOL CALLBACK CollectChild(HWND w, LPARAM p) {
  auto* out = reinterpret_cast<std::vector<ChildInfo>*>(p);
  ChildInfo info;
  info.hwnd = w;
  wchar_t kind[64] = {};
  GetClassNameW(w, kind, 64);
  info.kind = kind;
  wchar_t text[512] = {};
  GetWindowTextW(w, text, 512);
  info.text = Narrow(text);
  GetWindowRect(w, &info.bounds);
  MapWindowPoints(HWND_DESKTOP, GetParent(w), reinterpret_cast<POINT*>(&info.bounds), 2);
  info.visible = (GetWindowLongPtrW(w, GWL_STYLE) & WS_VISIBLE) != 0;
  out->push_back(info);
  return TRUE;
}

inline std::vector<ChildInfo> Children(HWND form) {
  std::vector<ChildInfo> all;
  EnumChildWindows(form, CollectChild, reinterpret_cast<LPARAM>(&all));
  return all;
}

inline std::vector<ChildInfo> ChildrenOfKind(HWND form, const wchar_t* kind, bool visibleOnly) {
  std::vector<ChildInfo> found;
  for (const ChildInfo& c : Children(form)) {
    if (lstrcmpiW(c.kind.c_str(), kind) == 0 && (!visibleOnly || c.visible)) found.push_back(c);
  }
  return found;
}

inline std::string WindowText(HWND w) {
  wchar_t text[512] = {};
  GetWindowTextW(w, text, 512);
  return Narrow(text);
}

inline RECT WindowBounds(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}

// Runs once from the next timer tick of the thread, inside whatever message
// loop is serving it (a modal show, typically).
inline std::function<void()>& PendingAction() {
  static std::function<void()> action;
  return action;
}

inline void CALLBACK RunPendingAction(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto action = std::move(PendingAction());
  PendingAction() = nullptr;
  if (action) action();
}

inline void RunInsideLoop(std::function<void()> action, UINT delayMs = 50) {
  PendingAction() = std::move(action);
  SetTimer(nullptr, 0, delayMs, RunPendingAction);
}

// The top-level window of a class that this thread shows, or null.
struct FormSearch {
  std::wstring className;
  HWND found;
};

inline BOOL CALLBACK MatchOwnForm(HWND w, LPARAM p) {
  auto* search = reinterpret_cast<FormSearch*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  wchar_t name[256] = {};
  GetClassNameW(w, name, 256);
  if (pid != GetCurrentProcessId() || lstrcmpW(name, search->className.c_str()) != 0) return TRUE;
  search->found = w;
  return FALSE;
}

// This process's top-level form of that class: the tests of one Windows
// generation share a wineserver and may run side by side.
inline HWND FindForm(const char* className) {
  FormSearch search{Wide(className), nullptr};
  EnumWindows(MatchOwnForm, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// With DW_SCREEN_HOLD=PATH: writes PATH.NAME.ready and serves messages until
// PATH.NAME.done appears (at most a minute), so that a script can take a
// screenshot. Without it, returns at once.
// The ready file holds the form's screen rectangle: "left top width height".
inline void HoldForScreenshot(const char* name, HWND form) {
  char hold[MAX_PATH] = {};
  if (GetEnvironmentVariableA("DW_SCREEN_HOLD", hold, MAX_PATH) == 0) return;
  const std::string base = std::string(hold) + "." + name;
  UpdateWindow(form);
  const RECT r = WindowBounds(form);
  const std::string place = std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                            std::to_string(r.right - r.left) + " " +
                            std::to_string(r.bottom - r.top) + "\n";
  if (HANDLE f = CreateFileA((base + ".ready").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
      f != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(f, place.data(), static_cast<DWORD>(place.size()), &written, nullptr);
    CloseHandle(f);
  }
  const std::string done = base + ".done";
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 60000 && GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(50);
  }
}

}  // namespace dw::ui::test
