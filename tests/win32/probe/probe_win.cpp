// dialwave-probe: prints what a Windows program of ours sees, for tests that
// look from outside (scripts, other processes). Output is UTF-8, one fact a line.
//   env [ARGS...]   the Environment port's answers
//   raslib          which rasapi32.dll the program's loading rule gets
//   raslib-search   which one a bare name would get
//   windows         the top-level windows: class, title, visible, iconic, foreground
//   children CLASS  the child windows (all levels) of the top-level window of
//                   that class (a visible one first): class, enabled, visible,
//                   rect on the screen, text; list items, bar positions and
//                   check-box ticks too
//   close CLASS     sends WM_CLOSE to every top-level window of that class
//   ping MS CLASS.. for MS milliseconds, every 10 ms, sends WM_NULL to each
//                   top-level window of those classes and times the answer;
//                   prints per class the samples, the longest answer, the
//                   99th percentile and the answers that took over 5 s
//   process NAME    each process of that image name as the system's process
//                   list sees it: kernel handles, threads, private bytes,
//                   working set, virtual size (what a soak watches from
//                   outside; another process's handle count has no other
//                   answer under Wine)
#include "platform/win32/win.h"

#include <commctrl.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

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
  // Wine's X window of it (0 elsewhere): after a hide, Wine without a window
  // manager keeps the X window on the screen for a while, taking clicks.
  const auto xwin = reinterpret_cast<std::uintptr_t>(GetPropW(w, L"__wine_x11_whole_window"));
  std::printf("window class=%s title=%s visible=%d iconic=%d foreground=%d pid=%lu rect=%ld,%ld,%ld,%ld xwin=0x%llx\n",
              Utf8(name).c_str(), Utf8(title).c_str(), IsWindowVisible(w) ? 1 : 0,
              IsIconic(w) ? 1 : 0, GetForegroundWindow() == w ? 1 : 0,
              static_cast<unsigned long>(pid), r.left, r.top, r.right, r.bottom,
              static_cast<unsigned long long>(xwin));
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

// One line of text: line ends of multi-line texts become "\\n".
std::string OneLine(const std::wstring& text) {
  std::string out;
  for (char c : Utf8(text)) {
    if (c == '\r') continue;
    if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

// A control's text as the user reads it. Edit controls keep theirs apart
// from the window's own title, so they are asked (a read; it changes
// nothing); the others' titles are read without disturbing the program.
std::wstring ControlText(HWND w, const std::wstring& className) {
  if (lstrcmpiW(className.c_str(), L"Edit") == 0) {
    DWORD_PTR length = 0;
    if (SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length) != 0) {
      std::wstring text(length + 1, L'\0');
      DWORD_PTR copied = 0;
      if (SendMessageTimeoutW(w, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                              SMTO_ABORTIFHUNG, 2000, &copied) != 0) {
        text.resize(copied);
        return text;
      }
    }
  }
  wchar_t title[1024] = {};
  GetWindowTextW(w, title, 1024);
  return title;
}

BOOL CALLBACK PrintChild(HWND w, LPARAM) {
  wchar_t name[256] = {};
  GetClassNameW(w, name, 256);
  const std::wstring className = name;
  RECT r{};
  GetWindowRect(w, &r);
  std::string extra;
  DWORD_PTR value = 0;
  if (lstrcmpiW(name, L"msctls_progress32") == 0 &&
      SendMessageTimeoutW(w, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 2000, &value) != 0) {
    extra += " pos=" + std::to_string(value);
  }
  if (lstrcmpiW(name, L"ListBox") == 0 &&
      SendMessageTimeoutW(w, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &value) != 0) {
    const auto count = static_cast<LRESULT>(value);
    DWORD_PTR selected = 0;
    SendMessageTimeoutW(w, LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &selected);
    extra += " items=" + std::to_string(count) +
             " selected=" + std::to_string(static_cast<LRESULT>(selected));
  }
  if (lstrcmpiW(name, L"Button") == 0 &&
      SendMessageTimeoutW(w, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &value) != 0) {
    extra += " checked=" + std::to_string(value);
  }
  std::printf("child hwnd=%p parent=%p class=%s visible=%d enabled=%d rect=%ld,%ld,%ld,%ld%s text=%s\n",
              static_cast<void*>(w), static_cast<void*>(GetParent(w)), Utf8(className).c_str(),
              IsWindowVisible(w) ? 1 : 0, IsWindowEnabled(w) ? 1 : 0, r.left, r.top, r.right,
              r.bottom, extra.c_str(), OneLine(ControlText(w, className)).c_str());
  if (lstrcmpiW(name, L"ListBox") == 0) {
    const auto count = static_cast<LRESULT>(value);
    for (LRESULT i = 0; i < count && i < 100; ++i) {
      DWORD_PTR length = 0;
      if (SendMessageTimeoutW(w, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0, SMTO_ABORTIFHUNG, 2000,
                              &length) == 0 || static_cast<LRESULT>(length) < 0) {
        break;
      }
      std::wstring item(length + 1, L'\0');
      SendMessageTimeoutW(w, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()),
                          SMTO_ABORTIFHUNG, 2000, &length);
      item.resize(length);
      std::printf("item hwnd=%p index=%ld text=%s\n", static_cast<void*>(w), static_cast<long>(i),
                  OneLine(item).c_str());
    }
  }
  return TRUE;
}

// The top-level window of a class, a visible one when there is one.
HWND TopLevel(const std::wstring& className) {
  HWND first = nullptr;
  HWND w = nullptr;
  while ((w = FindWindowExW(nullptr, w, className.c_str(), nullptr)) != nullptr) {
    if (IsWindowVisible(w)) return w;
    if (first == nullptr) first = w;
  }
  return first;
}

int Children(const std::wstring& className) {
  HWND top = TopLevel(className);
  if (top == nullptr) {
    std::fprintf(stderr, "no top-level window of class %s\n", Utf8(className).c_str());
    return 1;
  }
  wchar_t title[512] = {};
  GetWindowTextW(top, title, 512);
  RECT r{};
  GetWindowRect(top, &r);
  std::printf("top hwnd=%p class=%s visible=%d enabled=%d rect=%ld,%ld,%ld,%ld text=%s\n",
              static_cast<void*>(top), Utf8(className).c_str(), IsWindowVisible(top) ? 1 : 0,
              IsWindowEnabled(top) ? 1 : 0, r.left, r.top, r.right, r.bottom,
              OneLine(title).c_str());
  EnumChildWindows(top, PrintChild, 0);
  return 0;
}

int Windows() {
  EnumWindows(PrintWindow, 0);
  return 0;
}

double MillisecondsSince(const LARGE_INTEGER& start, const LARGE_INTEGER& frequency) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

// A window whose thread does not serve its queue answers late or not at
// all; a window that goes away in between answers at once with 0.
int Ping(long durationMs, const std::vector<std::wstring>& classes) {
  constexpr UINT kLimitMs = 5000;
  LARGE_INTEGER frequency, start;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  std::map<std::wstring, std::vector<double>> answers;
  std::map<std::wstring, int> timeouts;
  while (MillisecondsSince(start, frequency) < static_cast<double>(durationMs)) {
    for (const std::wstring& name : classes) {
      HWND w = nullptr;
      while ((w = FindWindowExW(nullptr, w, name.c_str(), nullptr)) != nullptr) {
        LARGE_INTEGER sent;
        QueryPerformanceCounter(&sent);
        DWORD_PTR result = 0;
        const bool answered =
            SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, kLimitMs, &result) != 0;
        if (!answered && !IsWindow(w)) continue;
        answers[name].push_back(MillisecondsSince(sent, frequency));
        if (!answered) ++timeouts[name];
      }
    }
    Sleep(10);
  }
  for (const std::wstring& name : classes) {
    std::vector<double>& times = answers[name];
    std::sort(times.begin(), times.end());
    const double longest = times.empty() ? 0.0 : times.back();
    const double p99 = times.empty() ? 0.0 : times[(times.size() - 1) * 99 / 100];
    std::printf("ping class=%s samples=%zu max_ms=%.1f p99_ms=%.1f timeouts=%d\n",
                Utf8(name).c_str(), times.size(), longest, p99, timeouts[name]);
  }
  return 0;
}

// The process list through ntdll, looked up at run time; the buffer grows
// until the list fits (processes come and go between two calls).
int Process(const std::wstring& image) {
  using Query = LONG(WINAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) {
    std::fprintf(stderr, "no NtQuerySystemInformation\n");
    return 1;
  }
  std::vector<unsigned char> buffer(64 * 1024);
  LONG status = 0;
  for (int tries = 0; tries < 8; ++tries) {
    ULONG needed = 0;
    status = query(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status != static_cast<LONG>(0xC0000004)) break;  // STATUS_INFO_LENGTH_MISMATCH
    buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 16 * 1024));
  }
  if (status != 0) {
    std::fprintf(stderr, "NtQuerySystemInformation: 0x%08lx\n", static_cast<unsigned long>(status));
    return 1;
  }
  int found = 0;
  for (std::size_t at = 0;;) {
    const auto* p = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + at);
    const std::wstring name(p->ImageName.Buffer != nullptr ? p->ImageName.Buffer : L"",
                            p->ImageName.Length / sizeof(wchar_t));
    if (lstrcmpiW(name.c_str(), image.c_str()) == 0) {
      const VM_COUNTERS& vm = p->VirtualMemoryCounters;
      std::printf("process pid=%lu handles=%lu threads=%lu private=%llu workingset=%llu virtual=%llu\n",
                  static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(p->UniqueProcessId)),
                  static_cast<unsigned long>(p->HandleCount), static_cast<unsigned long>(p->NumberOfThreads),
                  static_cast<unsigned long long>(vm.PagefileUsage),
                  static_cast<unsigned long long>(vm.WorkingSetSize),
                  static_cast<unsigned long long>(vm.VirtualSize));
      ++found;
    }
    if (p->NextEntryOffset == 0) break;
    at += p->NextEntryOffset;
  }
  return found > 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  int rc = 2;
  if (command == L"env") rc = Env();
  else if (command == L"raslib") rc = RasLib();
  else if (command == L"raslib-search") rc = RasLibSearch();
  else if (command == L"windows") rc = Windows();
  else if (command == L"children" && argc > 2) rc = Children(argv[2]);
  else if (command == L"close" && argc > 2) rc = Close(argv[2]);
  else if (command == L"process" && argc > 2) rc = Process(argv[2]);
  else if (command == L"ping" && argc > 3) {
    rc = Ping(wcstol(argv[2], nullptr, 10), std::vector<std::wstring>(argv + 3, argv + argc));
  } else {
    std::fprintf(stderr,
                 "usage: dialwave-probe env|raslib|raslib-search|windows|children CLASS|"
                 "close CLASS|ping MS CLASS...|process NAME\n");
  }
  std::fflush(stdout);
  return rc;
}
