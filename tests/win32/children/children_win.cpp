// dialwave-children CLASS: every window inside the top-level window of class
// CLASS (another process's, as a screen test sees it), one line each in
// z-order under its parent: the window, its parent, class, whether it is
// really on the screen and enabled, its screen rectangle, and its text last.
//   child hwnd=0x... parent=0x... class=C visible=0|1 enabled=0|1 rect=l,t,r,b text=T
#include "platform/win32/win.h"

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

// A named function: on i686 a lambda cannot become a CALLBACK pointer.
BOOL CALLBACK PrintChild(HWND w, LPARAM) {
  wchar_t name[256] = {};
  wchar_t text[1024] = {};
  GetClassNameW(w, name, 256);
  GetWindowTextW(w, text, 1024);
  RECT r{};
  GetWindowRect(w, &r);
  std::printf("child hwnd=%p parent=%p class=%s visible=%d enabled=%d rect=%ld,%ld,%ld,%ld text=%s\n",
              static_cast<void*>(w), static_cast<void*>(GetParent(w)), Utf8(name).c_str(),
              IsWindowVisible(w) ? 1 : 0, IsWindowEnabled(w) ? 1 : 0, r.left, r.top, r.right,
              r.bottom, Utf8(text).c_str());
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: dialwave-children CLASS\n");
    return 2;
  }
  HWND top = FindWindowW(argv[1], nullptr);
  if (top == nullptr) return 1;
  EnumChildWindows(top, PrintChild, 0);
  return 0;
}
