// What the Windows tests that load the simulator's rasapi32.dll themselves
// share: the DLL as the RAS-library port, the system's version, and clearing
// a registry tree they planted.
#pragma once

#include "platform/win32/win.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ras_library.h"
#include "ras/records.h"

namespace dw::test {

class ModuleLibrary final : public RasLibrary {
 public:
  explicit ModuleLibrary(HMODULE module) : module_(module) {}
  bool IsLoaded() const override { return module_ != nullptr; }
  void* Lookup(const char* name) const override {
    return module_ ? reinterpret_cast<void*>(GetProcAddress(module_, name)) : nullptr;
  }

 private:
  HMODULE module_;
};

inline OSVERSIONINFOA Version() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExA(&info);
  return info;
}

// The generation number the program derives, as Wine's version setting gives it.
inline std::uint32_t WinVer() {
  const OSVERSIONINFOA info = Version();
  return info.dwMajorVersion * 100 + info.dwMinorVersion;
}

inline void DeleteTree(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    std::vector<std::string> subs;
    char name[256];
    for (DWORD i = 0;; ++i) {
      DWORD n = sizeof name;
      if (RegEnumKeyExA(key, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      subs.emplace_back(name, n);
    }
    RegCloseKey(key);
    for (const auto& s : subs) DeleteTree(root, path + "\\" + s);
  }
  RegDeleteKeyA(root, path.c_str());
}

// The simulator's ISDN entry of `size` bytes: a dial through it needs no
// modem keys in the shared prefix.
inline ras::v501::RasEntryA IsdnEntry(ras::Dword size) {
  ras::v501::RasEntryA e{};
  e.dwSize = size;
  e.dwFramingProtocol = 1;
  e.dwType = 1;  // a phone line (2000 on)
  std::strcpy(e.szLocalPhoneNumber, "*99***1#");
  std::strcpy(e.szDeviceType, "isdn");
  std::strcpy(e.szDeviceName, "Korvana ISDN Adapter");
  return e;
}

}  // namespace dw::test
