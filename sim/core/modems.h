// The simulated modems' side of the registry: where Windows keeps a modem's
// settings (the NT class key, or the 9x enumeration key and its driver key),
// the "UserInit" text a modem sends before dialling, and the APN that its
// context-definition command selects.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace dw::sim {

// NT: the modem class key. 9x: the first of the two enumeration keys.
inline constexpr const char* kNtModemClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
inline constexpr const char* k9xModemKey = "Enum\\Root\\Modem";
inline constexpr const char* k9xModemKeyAlt = "Enum\\Root\\MDMGEN";
inline constexpr const char* k9xDriverRoot = "System\\CurrentControlSet\\Services\\Class\\";

struct ModemKey {
  std::string name;
  std::string key;  // the key that holds "UserInit", relative to HKLM
  std::string userInit;
  bool hasUserInit = false;
};

// Every installed modem, in registry order (modems without "FriendlyName"
// are not modems to RAS and are left out).
std::vector<ModemKey> ListModems(const Registry& registry, bool win9x);

// The "UserInit" of the first modem named `device` (exact comparison); empty
// when there is none.
std::string ReadUserInit(const Registry& registry, bool win9x, const std::string& device);

// The APN of context 1 in an "AT+CGDCONT=1,"IP","apn"" command in `init`
// (the last such command wins, as in a modem); nullopt when there is none.
std::optional<std::string> ApnOf(const std::string& init);

// Makes sure a modem named `name` is installed in the layout of the
// generation; returns the key that holds its settings, or nullopt when the
// registry refused.
std::optional<std::string> InstallModem(Registry& registry, bool win9x, const std::string& name);

}  // namespace dw::sim
