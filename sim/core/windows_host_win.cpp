#include "platform/win32/win.h"

#include "windows_host.h"

#include "layouts.h"

#include <vector>

namespace dw::sim {

std::string SystemStoreFolder() {
  std::string folder;
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = GetEnvironmentVariableA("RASSIM_DIR", buffer, sizeof buffer);
  if (n > 0 && n < sizeof buffer) {
    folder = buffer;
  } else {
    const UINT w = GetWindowsDirectoryA(buffer, sizeof buffer);
    folder = std::string(buffer, w < sizeof buffer ? w : 0) + "\\rassim";
  }
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

ras::Generation SystemGeneration() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return ras::Generation::kWin2000;
  return layout::GenerationOfWinVer(info.dwMajorVersion * 100 + info.dwMinorVersion);
}

void PublishDialUpCounters(ras::Dword received, ras::Dword sent) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_DYN_DATA, "PerfStats\\StatData", 0, nullptr, REG_OPTION_VOLATILE,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  const auto put = [key](const char* name, ras::Dword value) {
    const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                           static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
    RegSetValueExA(key, name, 0, REG_BINARY, bytes, sizeof bytes);
  };
  put("Dial-Up Adapter\\TotalBytesRecvd", received);
  put("Dial-Up Adapter\\TotalBytesXmit", sent);
  RegCloseKey(key);
}

}  // namespace dw::sim
