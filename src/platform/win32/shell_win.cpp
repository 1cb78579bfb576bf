#include "platform/win32/win.h"  // first: the SDK headers below need it

#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/elevation.h"
#include "platform/win32/adapters_win.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/user_api_win.h"
#include "platform/win32/wide.h"

namespace dw {
namespace {

// The shell's link object and its interfaces, by their published numbers.
constexpr CLSID kClsidShellLink = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kIidShellLinkA = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kIidShellLinkW = {0x000214F9, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kIidPersistFile = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

struct ReleaseCom {
  void operator()(IUnknown* p) const {
    if (p != nullptr) p->Release();
  }
};
template <typename T>
using ComPtr = std::unique_ptr<T, ReleaseCom>;

std::wstring FromAnsi(const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

class Win32Shell final : public Shell {
 public:
  std::string SpecialFolderPath(int csidl) override {
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) || list == nullptr) return {};
    char path[261] = {};
    const bool ok = SHGetPathFromIDListA(list, path) != FALSE;
    CoTaskMemFree(list);
    return ok ? std::string(path) : std::string();
  }

  ShortcutResult SaveShortcut(const std::string& linkPath, const ShortcutLink& link) override {
    IShellLinkA* rawLink = nullptr;
    if (FAILED(CoCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkA,
                                reinterpret_cast<void**>(&rawLink))) ||
        rawLink == nullptr) {
      return ShortcutResult::NoLinkObject;
    }
    ComPtr<IShellLinkA> shellLink(rawLink);
    IPersistFile* rawFile = nullptr;
    if (FAILED(shellLink->QueryInterface(kIidPersistFile, reinterpret_cast<void**>(&rawFile))) ||
        rawFile == nullptr) {
      return ShortcutResult::NoLinkObject;
    }
    ComPtr<IPersistFile> file(rawFile);

    // Paths come from the system in its ANSI code page and go back the same way.
    shellLink->SetPath(link.target.c_str());
    if (!link.arguments.empty()) shellLink->SetArguments(link.arguments.c_str());
    shellLink->SetWorkingDirectory(link.workingDirectory.c_str());
    // The description is Russian text: through the wide interface it survives
    // a system whose ANSI code page is not 1251. Systems whose link object
    // has only the ANSI face are the Russian 9x ones, where 1251 is ANSI.
    IShellLinkW* rawWide = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(kIidShellLinkW, reinterpret_cast<void**>(&rawWide))) &&
        rawWide != nullptr) {
      ComPtr<IShellLinkW> wide(rawWide);
      wide->SetDescription(Wide(link.description).c_str());
    } else {
      shellLink->SetDescription(link.description.c_str());
    }
    // Not remembered as the object's file: the object is thrown away anyway.
    const HRESULT saved = file->Save(FromAnsi(linkPath).c_str(), FALSE);
    return SUCCEEDED(saved) ? ShortcutResult::Saved : ShortcutResult::NotSaved;
  }

  bool Open(const std::string& target) override { return user::ShellOpen(target); }
};

class Win32FileSystem final : public FileSystem {
 public:
  bool DirectoryExists(const std::string& path) override {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }
  bool MakeDirectory(const std::string& path) override {
    return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
  }
  bool CopyReplacing(const std::string& from, const std::string& to) override {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
  }
};

class Win32Elevation final : public Elevation {
 public:
  explicit Win32Elevation(std::string program) : program_(std::move(program)) {}

  AdministratorRun RunAsAdministrator(const std::string& arguments,
                                      std::chrono::milliseconds limit) override {
    // The verb arrived with Windows 2000: 9x and NT 4 know no other user to
    // run as.
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT ||
        version.dwMajorVersion < 5) {
      return {};
    }
    std::string path = program_;
    if (path.empty()) {
      char own[MAX_PATH + 1] = {};
      const DWORD length = GetModuleFileNameA(nullptr, own, MAX_PATH);
      if (length == 0 || length >= MAX_PATH) return {};
      path = own;
    }

    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "runas";
    info.lpFile = path.c_str();
    info.lpParameters = arguments.c_str();
    info.nShow = SW_HIDE;
    // The shell may hand the verb to an extension, which needs COM on the
    // calling thread (a dial's worker has none of its own).
    const HRESULT com = CoInitialize(nullptr);
    const BOOL started = ShellExecuteExA(&info);
    if (SUCCEEDED(com)) CoUninitialize();
    if (!started || info.hProcess == nullptr) return {};

    const UniqueKernelHandle process(info.hProcess);
    const auto ms = limit.count() < 0 ? 0 : limit.count();
    if (WaitForSingleObject(process.get(), static_cast<DWORD>(ms)) != WAIT_OBJECT_0) {
      return {std::nullopt, true};
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(process.get(), &code)) return {};
    return {static_cast<int>(code), false};
  }

 private:
  std::string program_;
};

}  // namespace

std::unique_ptr<Elevation> MakeWin32Elevation(std::string program) {
  return std::make_unique<Win32Elevation>(std::move(program));
}
std::unique_ptr<Shell> MakeWin32Shell() { return std::make_unique<Win32Shell>(); }
std::unique_ptr<FileSystem> MakeWin32FileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace dw
