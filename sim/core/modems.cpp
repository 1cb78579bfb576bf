#include "modems.h"

#include <cstdio>
#include <set>

#include "text_util.h"

namespace dw::sim {

namespace {

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::string EnumKey(const Registry& registry) {
  return registry.KeyExists(RegistryRoot::kLocalMachine, k9xModemKey) ? k9xModemKey
                                                                      : k9xModemKeyAlt;
}

std::string FreeIndex(const std::set<std::string>& taken) {
  for (unsigned i = 0;; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%04u", i);
    bool used = false;
    for (const std::string& t : taken) used = used || EqualsNoCase(t, name);
    if (!used) return name;
  }
}

std::set<std::string> SubkeysOf(const Registry& registry, const std::string& path) {
  std::set<std::string> names;
  if (auto key = registry.OpenReadOnly(RegistryRoot::kLocalMachine, path)) {
    for (auto& n : key->SubkeyNames()) names.insert(n);
  }
  return names;
}

}  // namespace

std::vector<ModemKey> ListModems(const Registry& registry, bool win9x) {
  std::vector<ModemKey> modems;
  const std::string classKey = win9x ? EnumKey(registry) : kNtModemClassKey;
  auto root = registry.OpenReadOnly(RegistryRoot::kLocalMachine, classKey);
  if (!root) return modems;
  for (const std::string& sub : root->SubkeyNames()) {
    auto key = registry.OpenReadOnly(RegistryRoot::kLocalMachine, classKey + "\\" + sub);
    if (!key) continue;
    const auto name = key->ReadText("FriendlyName");
    if (!name) continue;
    ModemKey modem{*name, classKey + "\\" + sub, "", false};
    if (win9x) {
      const auto driver = key->ReadText("Driver");
      modem.key = driver ? std::string(k9xDriverRoot) + *driver : "";
      key = driver ? registry.OpenReadOnly(RegistryRoot::kLocalMachine, modem.key) : nullptr;
    }
    if (key) {
      if (auto init = key->ReadText("UserInit")) {
        modem.userInit = *init;
        modem.hasUserInit = true;
      }
    }
    modems.push_back(std::move(modem));
  }
  return modems;
}

std::string ReadUserInit(const Registry& registry, bool win9x, const std::string& device) {
  for (const ModemKey& modem : ListModems(registry, win9x)) {
    if (modem.name == device) return modem.userInit;
  }
  return "";
}

std::optional<std::string> ApnOf(const std::string& init) {
  const std::string upper = Upper(init);
  const std::string command = "+CGDCONT=";
  std::optional<std::string> apn;
  for (std::size_t at = upper.find(command); at != std::string::npos;
       at = upper.find(command, at + 1)) {
    std::size_t i = at + command.size();
    // Context number 1, then the quoted PDP type, then the quoted APN.
    std::size_t digits = i;
    while (digits < init.size() && init[digits] >= '0' && init[digits] <= '9') ++digits;
    if (init.substr(i, digits - i) != "1" || digits >= init.size() || init[digits] != ',') continue;
    i = digits + 1;
    if (i >= init.size() || init[i] != '"') continue;
    const std::size_t typeEnd = init.find('"', i + 1);
    if (typeEnd == std::string::npos || typeEnd + 2 >= init.size() || init[typeEnd + 1] != ',' ||
        init[typeEnd + 2] != '"') {
      continue;
    }
    const std::size_t apnStart = typeEnd + 3;
    const std::size_t apnEnd = init.find('"', apnStart);
    if (apnEnd == std::string::npos) continue;
    apn = init.substr(apnStart, apnEnd - apnStart);
  }
  return apn;
}

std::optional<std::string> InstallModem(Registry& registry, bool win9x, const std::string& name) {
  for (const ModemKey& modem : ListModems(registry, win9x)) {
    if (modem.name == name && !modem.key.empty()) return modem.key;
  }
  // A 9x machine without modems has neither enumeration key; the first one
  // is where Windows puts a new modem.
  const bool mdmgenOnly = !registry.KeyExists(RegistryRoot::kLocalMachine, k9xModemKey) &&
                          registry.KeyExists(RegistryRoot::kLocalMachine, k9xModemKeyAlt);
  const std::string classKey = !win9x       ? kNtModemClassKey
                               : mdmgenOnly ? k9xModemKeyAlt
                                            : k9xModemKey;
  const std::string index = FreeIndex(SubkeysOf(registry, classKey));
  auto key = registry.Create(RegistryRoot::kLocalMachine, classKey + "\\" + index);
  if (!key || !key->WriteText("FriendlyName", name)) return std::nullopt;
  if (!win9x) return classKey + "\\" + index;
  const std::string driverClass = std::string(k9xDriverRoot) + "Modem";
  const std::string driver = "Modem\\" + FreeIndex(SubkeysOf(registry, driverClass));
  auto driverKey =
      registry.Create(RegistryRoot::kLocalMachine, std::string(k9xDriverRoot) + driver);
  if (!driverKey || !driverKey->WriteText("DriverDesc", name) ||
      !key->WriteText("Driver", driver)) {
    return std::nullopt;
  }
  return std::string(k9xDriverRoot) + driver;
}

}  // namespace dw::sim
