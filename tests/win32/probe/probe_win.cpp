// dialwave-probe: prints what a Windows program of ours sees, for tests that
// look from outside (scripts, other processes). Output is UTF-8, one fact a line.
//   env [ARGS...]   the Environment port's answers
//   raslib          which rasapi32.dll the program's loading rule gets
//   raslib-search   which one a bare name would get
//   windows         the top-level windows: class, title, visible, iconic, foreground
//   close CLASS     sends WM_CLOSE to every top-level window of that class
#include "platform/win32/win.h"

#include <cstdio>
#include <string>

#include "platform/win32/adapters_win.h"

namespace {

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
  return s;
}

int Env() {
  const auto env = dw::MakeWin32Environment();
  std::printf("winver=%u\nplatform=%u\nexe=%s\n", env->WinVer(), env->PlatformId(),
              env->ExecutablePath().c_str());
  const auto args = env->Arguments();
  for (std::size_t i = 0; i < args.size(); ++i) std::printf("arg%zu=%s\n", i, args[i].c_str());
  return 0;
}

int RasLib() {
  const auto system = dw::LoadSystemRasLibrary();
  std::printf("system-loaded=%d\n", system->IsLoaded() ? 1 : 0);
  std::printf("system-planted=%d\n", system->Lookup("DwPlantedMarker") != nullptr ? 1 : 0);
  std::printf("system-RasDialA=%d\n", system->Lookup("RasDialA") != nullptr ? 1 : 0);
  return 0;
}

// What a bare name would load; a separate run, since a module already loaded
// answers to its bare name.
int RasLibSearch() {
  HMODULE bare = LoadLibraryA("rasapi32.dll");
  std::printf("search-planted=%d\n",
              bare != nullptr && GetProcAddress(bare, "DwPlantedMarker") != nullptr ? 1 : 0);
  return 0;
}

// A named function: on i686 a lambda cannot become a CALLBACK pointer.
BOOL CALLBACK PrintWindow(HWND w, LPARAM) {
  wchar_t name[256] = {};
  wchar_t title[512] = {};
  GetClassNameW(w, name, 256);
  GetWindowTextW(w, title, 512);
  RECT r{};
  GetWindowRect(w, &r);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  std::printf("window class=%s title=%s visible=%d iconic=%d foreground=%d pid=%lu rect=%ld,%ld,%ld,%ld\n",
              Utf8(name).c_str(), Utf8(title).c_str(), IsWindowVisible(w) ? 1 : 0,
              IsIconic(w) ? 1 : 0, GetForegroundWindow() == w ? 1 : 0,
              static_cast<unsigned long>(pid), r.left, r.top, r.right, r.bottom);
  return TRUE;
}

// Closes windows as the system does at log-off: WM_CLOSE, hidden ones too
// (Wine's taskkill only reaches visible windows).
int Close(const std::wstring& className) {
  int closed = 0;
  while (HWND w = FindWindowW(className.c_str(), nullptr)) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(w, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
    if (IsWindow(w) && ++closed > 100) return 1;
  }
  return 0;
}

int Windows() {
  EnumWindows(PrintWindow, 0);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  int rc = 2;
  if (command == L"env") rc = Env();
  else if (command == L"raslib") rc = RasLib();
  else if (command == L"raslib-search") rc = RasLibSearch();
  else if (command == L"windows") rc = Windows();
  else if (command == L"close" && argc > 2) rc = Close(argv[2]);
  else std::fprintf(stderr, "usage: dialwave-probe env|raslib|raslib-search|windows|close CLASS\n");
  std::fflush(stdout);
  return rc;
}
