// Helpers for tests that start the real programs of the build and look at
// them as another process would.
#pragma once

#include "platform/win32/win.h"

#include <tlhelp32.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "test_handles_win.h"

namespace dw::test {

// The folder of the running test program (the build's bin folder), with the
// trailing separator.
inline std::wstring BinDir() {
  wchar_t path[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path);
  return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

// A simulator state folder of this process's own (%TEMP%\NAME-PID\) that
// holds `scenario` and no state of a run before, named to the simulator's DLL
// before its first call reads it. Returns the folder with its separator.
inline std::string UseScenarioFolder(const std::string& name, const std::string& scenario) {
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder =
      std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  std::ofstream(folder + "scenario.txt") << scenario;
  std::remove((folder + "state.txt").c_str());
  SetEnvironmentVariableA("RASSIM_DIR", folder.c_str());
  return folder;
}

struct Child {
  UniqueKernelHandle process;
  DWORD id = 0;

  // Waits up to `ms`; the exit code, or -1 when still running.
  long WaitExit(DWORD ms) const {
    if (WaitForSingleObject(process.get(), ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return static_cast<long>(code);
  }
  void Kill() const {
    if (process && WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0) {
      TerminateProcess(process.get(), 99);
      WaitForSingleObject(process.get(), 10000);
    }
  }
};

inline Child Start(const std::wstring& exe, const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  Child child;
  if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &si, &pi)) {
    CloseHandle(pi.hThread);
    child.process.reset(pi.hProcess);
    child.id = pi.dwProcessId;
  }
  return child;
}

// Runs `exe` to its end (at most `ms`) and returns what it printed; a child
// that could not start, ended with a code other than 0 or outlived `ms` says
// so in a bracketed last line, so a failing test shows why its output is short.
inline std::string Capture(const std::wstring& exe, const std::wstring& arguments,
                           DWORD ms = 60000) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  if (!CreatePipe(&read, &write, &sa, 0)) return {};
  UniqueKernelHandle readEnd(read);
  UniqueKernelHandle writeEnd(write);
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write;
  si.hStdError = write;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      nullptr, &si, &pi)) {
    return "[could not start: error " + std::to_string(GetLastError()) + "]";
  }
  CloseHandle(pi.hThread);
  UniqueKernelHandle process(pi.hProcess);
  writeEnd.reset();
  std::string out;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(read, buffer, sizeof buffer, &n, nullptr) && n > 0) out.append(buffer, n);
  DWORD code = 0;
  if (WaitForSingleObject(process.get(), ms) != WAIT_OBJECT_0) {
    out += "\n[still running]";
  } else if (GetExitCodeProcess(process.get(), &code) && code != 0) {
    out += "\n[exit code " + std::to_string(code) + "]";
  }
  return out;
}

// Polls for a top-level window by class and title for up to `ms`.
inline HWND WaitForWindow(const wchar_t* className, const wchar_t* title, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND w = FindWindowW(className, title)) return w;
    if (GetTickCount() - start > ms) return nullptr;
    Sleep(50);
  }
}

inline int CountProcesses(const wchar_t* exeName) {
  UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (snapshot.get() == INVALID_HANDLE_VALUE) {
    snapshot.release();
    return -1;
  }
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL ok = Process32FirstW(snapshot.get(), &entry); ok;
       ok = Process32NextW(snapshot.get(), &entry)) {
    if (lstrcmpiW(entry.szExeFile, exeName) == 0) ++count;
  }
  return count;
}

struct WindowSearch {
  const wchar_t* className;
  int count;
};

inline BOOL CALLBACK CountWindowOfClass(HWND w, LPARAM p) {
  auto* search = reinterpret_cast<WindowSearch*>(p);
  wchar_t name[256] = {};
  GetClassNameW(w, name, 256);
  if (lstrcmpW(name, search->className) == 0) ++search->count;
  return TRUE;
}

inline int CountWindows(const wchar_t* className) {
  WindowSearch search{className, 0};
  EnumWindows(CountWindowOfClass, reinterpret_cast<LPARAM>(&search));
  return search.count;
}

// A window of the test's own in the main window's place, destroyed with the
// object unless the test destroyed it already.
class HostWindow {
 public:
  HostWindow(const wchar_t* className, WNDPROC proc, int x = 0, int y = 0) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    RegisterClassW(&wc);  // an earlier test of the process may have registered it
    hwnd_ = CreateWindowExW(0, className, L"host", WS_OVERLAPPEDWINDOW, x, y, 300, 200, nullptr,
                            nullptr, wc.hInstance, nullptr);
  }
  ~HostWindow() {
    if (hwnd_ != nullptr && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  }
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace dw::test
