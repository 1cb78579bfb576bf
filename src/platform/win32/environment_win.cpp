#include "platform/win32/win.h"  // first: the SDK headers below need it

#include <shellapi.h>

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
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(Ansi(argv[i]));
    LocalFree(argv);
    return arguments;
  }

  std::string ExecutablePath() const override {
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n);
  }

 private:
  // Arguments in the ANSI code page, as the system hands out every other text.
  static std::string Ansi(const wchar_t* w) {
    const int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string s(static_cast<std::size_t>(n - 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, w, -1, s.data(), n, nullptr, nullptr);
    return s;
  }

  std::uint32_t winVer_ = 0;
  std::uint32_t platformId_ = 0;
};

class SystemRasLibrary final : public RasLibrary {
 public:
  SystemRasLibrary() {
    char dir[MAX_PATH + 1] = {};
    const UINT n = GetSystemDirectoryA(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    std::string path(dir, n);
    if (path.back() != '\\') path += '\\';
    path += "rasapi32.dll";
    module_ = LoadLibraryA(path.c_str());
  }
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

std::unique_ptr<Environment> MakeWin32Environment() { return std::make_unique<Win32Environment>(); }

std::unique_ptr<RasLibrary> LoadSystemRasLibrary() { return std::make_unique<SystemRasLibrary>(); }

}  // namespace dw
