#include "modem/modems.h"

#include <algorithm>
#include <exception>

#include "log/log.h"
#include "ras/binding.h"
#include "ras/error_text.h"
#include "ras/record_access.h"
#include "text/fold.h"
#include "text/texts.h"

namespace dw::modem {
namespace {

using ras::Dword;

constexpr std::uint32_t kPlatformNt = 2;
constexpr const char* kNtClassKey =
    "\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
constexpr const char* k9xModemKey = "\\Enum\\Root\\Modem";
constexpr const char* k9xModemKeyAlt = "\\Enum\\Root\\MDMGEN";
constexpr const char* k9xDriverRoot = "\\System\\CurrentControlSet\\Services\\Class\\";

bool IsModemType(std::string type) {
  for (char& c : type) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return type == "MODEM";
}

Dword ListDevices(std::vector<std::string>& names) {
  Dword bytes = 0;
  Dword count = 0;
  // Every generation asks the size through Ras2k.
  Dword result = ras::kRas2k.EnumDevices(nullptr, &bytes, &count);
  std::vector<std::uint8_t> array;
  const ras::Binding binding = ras::CallBinding();
  const Dword stride = binding.Size(ras::Record::kDevInfo);
  if (result == ras::kErrorBufferTooSmall) {
    array = ras::SystemSizedArray(bytes, count, stride);
    result = binding.EnumDevices(array.data(), &bytes, &count);
  }
  if (result != ras::kSuccess) {
    ras::LogRasError("EnumDevices", result);
    return result;
  }
  // RAS writes the records at the size the first one carries, which is the
  // system's own (a later service pack's records are larger than ours).
  const std::size_t step = std::max<Dword>(ras::ReadDword(array, 0), 1);
  // Never past the array, whatever count the second call reports.
  const std::size_t elements = std::min<std::size_t>(count, array.size() / step);
  for (std::size_t i = 0; i < elements; ++i) {
    const std::size_t base = i * step;
    if (!IsModemType(ras::ReadField(array, base + offsetof(ras::RasDevInfoA, szDeviceType),
                                    ras::kMaxDeviceType + 1))) {
      continue;
    }
    std::string name = ras::ReadField(array, base + offsetof(ras::RasDevInfoA, szDeviceName),
                                      ras::kMaxDeviceName + 1);
    const bool known = std::any_of(names.begin(), names.end(),
                                   [&](const std::string& n) { return SameIgnoringCase1251(n, name); });
    if (!known) names.push_back(std::move(name));
  }
  return ras::kSuccess;
}

}  // namespace

Dword EnumDevices(std::vector<std::string>& names) {
  names.clear();
  try {
    const Dword result = ListDevices(names);
    if (result != ras::kSuccess) names.clear();
    return result;
  } catch (const std::exception& e) {
    WriteLog("EnumDevices", ras::kCaughtErrorCode, e.what());
  } catch (...) {
    WriteLog("EnumDevices", ras::kCaughtErrorCode, "unknown error");
  }
  names.clear();
  return ras::kErrorUnknown;
}

std::string ApnInitCommand(std::string_view apn) {
  std::string command = "AT+CGDCONT=1,\"IP\",\"";
  command += apn;
  command += '"';
  return command;
}

std::optional<std::string> ApnOfCommand(std::string_view command) {
  constexpr std::string_view kSelect = "+CGDCONT=";
  for (std::size_t at = 0; at + kSelect.size() <= command.size(); ++at) {
    if (!SameIgnoringCase1251(command.substr(at, kSelect.size()), kSelect)) continue;
    // 1,"IP","<apn>": the APN is the second quoted field.
    std::size_t quote = at + kSelect.size();
    std::size_t quotes[4];
    int found = 0;
    for (; found < 4; ++found) {
      quote = command.find('"', quote);
      if (quote == std::string_view::npos) break;
      quotes[found] = quote++;
    }
    if (found < 4) return std::nullopt;
    return std::string(command.substr(quotes[2] + 1, quotes[3] - quotes[2] - 1));
  }
  return std::nullopt;
}

ModemRightsError::ModemRightsError() : Error(Text(TextId::ModemNoRights)) {}

ModemInitStore::ModemInitStore(Registry& registry, std::uint32_t platformId)
    : registry_(registry), nt_(platformId == kPlatformNt) {}

std::string ModemInitStore::ClassKey() const {
  if (nt_) return kNtClassKey;
  return registry_.KeyExists(RegistryRoot::kLocalMachine, k9xModemKey) ? k9xModemKey
                                                                        : k9xModemKeyAlt;
}

bool ModemInitStore::Write(const std::string& modem, const std::string& text) {
  const std::string classKey = ClassKey();
  if (!registry_.KeyExists(RegistryRoot::kLocalMachine, classKey)) return false;
  const auto classHandle = registry_.Create(RegistryRoot::kLocalMachine, classKey);
  if (!classHandle) throw ModemRightsError();
  bool written = false;
  for (const std::string& sub : classHandle->SubkeyNames()) {
    const auto device = registry_.Create(RegistryRoot::kLocalMachine, classKey + "\\" + sub);
    if (!device || device->ReadText("FriendlyName") != modem) continue;
    if (nt_) {
      if (device->WriteText("UserInit", text)) written = true;
      continue;
    }
    // Without a driver name the path would be the services class key itself.
    const auto driver = device->ReadText("Driver");
    if (!driver || driver->empty()) continue;
    const auto target = registry_.Create(RegistryRoot::kLocalMachine, k9xDriverRoot + *driver);
    if (target && target->WriteText("UserInit", text)) written = true;
  }
  return written;
}

InitWrite ModemInitStore::Store(const std::string& modem, const std::string& text) {
  const std::string classKey = ClassKey();
  if (!registry_.KeyExists(RegistryRoot::kLocalMachine, classKey)) return InitWrite::kNoModem;
  const auto classHandle = registry_.OpenReadOnly(RegistryRoot::kLocalMachine, classKey);
  if (!classHandle) return InitWrite::kRefused;  // it exists, but not for this user
  bool found = false;
  bool refused = false;
  bool failed = false;
  const auto put = [&](const std::string& path) {
    RegistryWrite why = RegistryWrite::kDone;
    const auto key = registry_.CreateForWrite(RegistryRoot::kLocalMachine, path, why);
    if (key) why = key->PutText("UserInit", text);
    refused = refused || why == RegistryWrite::kDenied;
    failed = failed || why == RegistryWrite::kFailed;
  };
  for (const std::string& sub : classHandle->SubkeyNames()) {
    const std::string path = classKey + "\\" + sub;
    const auto device = registry_.OpenReadOnly(RegistryRoot::kLocalMachine, path);
    if (!device || device->ReadText("FriendlyName") != modem) continue;
    if (nt_) {
      found = true;
      put(path);
      continue;
    }
    // Without a driver name the path would be the services class key itself.
    const auto driver = device->ReadText("Driver");
    if (!driver || driver->empty()) continue;
    found = true;
    put(k9xDriverRoot + *driver);
  }
  if (refused) return InitWrite::kRefused;
  if (failed) return InitWrite::kFailed;
  return found ? InitWrite::kWritten : InitWrite::kNoModem;
}

std::string ModemInitStore::Read(const std::string& modem) const {
  const std::string classKey = ClassKey();
  if (!registry_.KeyExists(RegistryRoot::kLocalMachine, classKey)) return {};
  const auto classHandle = registry_.OpenReadOnly(RegistryRoot::kLocalMachine, classKey);
  if (!classHandle) throw ModemRightsError();
  for (const std::string& sub : classHandle->SubkeyNames()) {
    const auto device = registry_.OpenReadOnly(RegistryRoot::kLocalMachine, classKey + "\\" + sub);
    if (!device || device->ReadText("FriendlyName") != modem) continue;
    if (nt_) return device->ReadText("UserInit").value_or("");
    const auto driver = device->ReadText("Driver");
    if (!driver || driver->empty()) return {};
    const auto target = registry_.OpenReadOnly(RegistryRoot::kLocalMachine, k9xDriverRoot + *driver);
    return target ? target->ReadText("UserInit").value_or("") : std::string();
  }
  return {};
}

}  // namespace dw::modem
