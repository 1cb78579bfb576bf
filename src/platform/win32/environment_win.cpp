#include "platform/win32/win.h"  // first: the SDK headers below need it

#include <cstdio>

#include "platform/command_line.h"
#include "platform/win32/adapters_win.h"
#include "platform/win32/wide.h"

namespace dw {
namespace {

class Win32Environment final : public Environment {
 public:
  Win32Environment() {
    OSVERSIONINFOA info{};
    // The ANSI record, 148 bytes, is the one every generation understands.
    static_assert(sizeof(OSVERSIONINFOA) == 148);
    info.dwOSVersionInfoSize = 148;
    if (GetVersionExA(&info)) {
      winVer_ = info.dwMajorVersion * 100 + info.dwMinorVersion;
      platformId_ = info.dwPlatformId;
    }
  }

  std::uint32_t WinVer() const override { return winVer_; }
  std::uint32_t PlatformId() const override { return platformId_; }

  std::vector<std::string> Arguments() const override {
    std::vector<std::string> arguments = SplitCommandLine(GetCommandLineA());
    if (!arguments.empty()) arguments.erase(arguments.begin());  // the program's name
    return arguments;
  }

  std::string ExecutablePath() const override {
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n);
  }

  std::string FormatLongTime(const LocalDateTime& time) const override {
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(time.year);
    t.wMonth = static_cast<WORD>(time.month);
    t.wDay = static_cast<WORD>(time.day);
    t.wHour = static_cast<WORD>(time.hour);
    t.wMinute = static_cast<WORD>(time.minute);
    t.wSecond = static_cast<WORD>(time.second);
    t.wMilliseconds = static_cast<WORD>(time.millisecond);
    char text[128] = {};
    // No format picture: the user's own time format, the "long" one.
    const int n = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &t, nullptr, text, sizeof text);
    return n > 1 ? std::string(text, static_cast<std::size_t>(n - 1)) : std::string();
  }

  std::string FileVersion(const std::string& path) const override {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return {};
    std::string block(size, '\0');
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return {};

    void* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation, &length) ||
        translation == nullptr || length < 4) {
      return {};
    }
    const auto* pair = static_cast<const WORD*>(translation);  // language, code page
    std::string query = "\\StringFileInfo\\";
    for (const WORD part : {pair[0], pair[1]}) {
      for (int shift = 12; shift >= 0; shift -= 4) query += "0123456789ABCDEF"[(part >> shift) & 0xF];
    }
    query += "\\FileVersion";

    void* value = nullptr;
    if (!VerQueryValueA(block.data(), query.c_str(), &value, &length) || value == nullptr) return {};
    // The length counts characters and, on some systems, the closing zero.
    const char* text = static_cast<const char*>(value);
    std::size_t n = 0;
    while (n < length && text[n] != '\0') ++n;
    return std::string(text, n);
  }

 private:
  std::uint32_t winVer_ = 0;
  std::uint32_t platformId_ = 0;
};

class SystemRasLibrary final : public RasLibrary {
 public:
  SystemRasLibrary() : module_(LoadSystemLibrary("rasapi32.dll")) {}
  // Never freed: entry points are looked up until the process ends.
  ~SystemRasLibrary() override = default;

  bool IsLoaded() const override { return module_ != nullptr; }
  void* Lookup(const char* name) const override {
    if (module_ == nullptr) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(module_, name));
  }

 private:
  HMODULE module_ = nullptr;
};

}  // namespace

HMODULE LoadSystemLibrary(const char* file) {
  char dir[MAX_PATH + 1] = {};
  const UINT n = GetSystemDirectoryA(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  std::string path(dir, n);
  if (path.back() != '\\') path += '\\';
  path += file;
  return LoadLibraryA(path.c_str());
}

std::unique_ptr<Environment> MakeWin32Environment() {
  return std::make_unique<Win32Environment>();
}

std::unique_ptr<RasLibrary> LoadSystemRasLibrary() {
  return std::make_unique<SystemRasLibrary>();
}

}  // namespace dw
