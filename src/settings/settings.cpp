#include "settings/settings.h"

#include <algorithm>
#include <cstdint>

#include "settings/stored_form.h"
#include "usage/budget_settings.h"

namespace dw {
namespace {

constexpr std::string_view kModem = "Modem";
constexpr std::string_view kConnection = "Connection";
constexpr std::string_view kApns = "APNs";
constexpr std::string_view kApnVersion = "APNVersion";
constexpr std::string_view kStartStage = "StartStage";
constexpr std::string_view kBillingDay = "BillingDay";
constexpr std::string_view kAllowance = "AllowanceMB";
constexpr std::string_view kUsedUpDisconnect = "UsedUpDisconnect";

}  // namespace

std::vector<std::string> DefaultApnList() {
  return {"internet.kvr", "internet.ltkvr"};
}

bool LoadSettings(const Registry& registry, const CommandLine& commandLine, Settings& settings,
                  std::string_view keyPath) {
  settings.ModemName.clear();
  settings.EntryName.clear();
  settings.ApnList = DefaultApnList();
  // Swapped in whole: GCC 12 at -O2 flags assigning a short literal here as
  // an overlapping copy (-Wrestrict, a known false alarm).
  settings.ApnVersion = Settings().ApnVersion;
  settings.StartStage = kStageAgreement;
  settings.BillingDay = Settings().BillingDay;
  settings.AllowanceMb = Settings().AllowanceMb;
  settings.DisconnectWhenUsedUp = Settings().DisconnectWhenUsedUp;
  settings.FirstStart = true;

  const auto key = registry.OpenReadOnly(kSettingsRoot, keyPath);
  if (!key) return false;
  settings.FirstStart = false;

  const bool plain = commandLine.plainSettings;
  // A value of another type than text counts as missing.
  auto read = [&](std::string_view name) -> std::optional<std::string> {
    auto stored = key->ReadText(name);
    if (!stored) return std::nullopt;
    return FromStoredForm(*stored, plain);
  };
  settings.ModemName = read(kModem).value_or("");
  settings.EntryName = read(kConnection).value_or("");
  if (auto apns = read(kApns)) settings.ApnList = ApnListFromText(*apns);
  if (auto version = read(kApnVersion)) settings.ApnVersion = std::move(*version);
  if (auto stage = read(kStartStage)) settings.StartStage = ParseStartStage(*stage);
  if (auto day = read(kBillingDay)) {
    settings.BillingDay = usage::BillingDayFromText(*day).value_or(settings.BillingDay);
  }
  if (auto mb = read(kAllowance)) {
    settings.AllowanceMb = usage::AllowanceFromText(*mb).value_or(settings.AllowanceMb);
  }
  if (auto flag = read(kUsedUpDisconnect)) {
    settings.DisconnectWhenUsedUp =
        usage::FlagFromText(*flag).value_or(settings.DisconnectWhenUsedUp);
  }
  return true;
}

void SaveSettings(Registry& registry, const CommandLine& commandLine, const Settings& settings,
                  std::string_view keyPath) {
  const auto key = registry.Create(kSettingsRoot, keyPath);
  if (!key) return;
  const bool plain = commandLine.plainSettings;
  auto write = [&](std::string_view name, std::string_view text) {
    key->WriteText(name, ToStoredForm(text, plain));
  };
  write(kModem, settings.ModemName);
  write(kConnection, settings.EntryName);
  write(kApns, ApnListText(settings.ApnList));
  write(kApnVersion, settings.ApnVersion);
  write(kStartStage, std::to_string(settings.StartStage));
  write(kBillingDay, std::to_string(usage::ValidBillingDay(settings.BillingDay)));
  write(kAllowance, std::to_string(std::min(settings.AllowanceMb, usage::kMaxAllowanceMb)));
  write(kUsedUpDisconnect, settings.DisconnectWhenUsedUp ? "1" : "0");
}

void SaveSettingsAtClose(Registry& registry, const CommandLine& commandLine,
                         const Settings& settings, std::string_view keyPath) {
  if (settings.StartStage == kStageAgreement) return;
  SaveSettings(registry, commandLine, settings, keyPath);
}

std::string ApnListText(const std::vector<std::string>& list) {
  std::string text;
  for (const auto& apn : list) {
    text += apn;
    text += "\r\n";
  }
  return text;
}

std::vector<std::string> ApnListFromText(std::string_view text) {
  std::vector<std::string> list;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", i);
    if (end == std::string_view::npos) {
      list.emplace_back(text.substr(i));
      break;
    }
    list.emplace_back(text.substr(i, end - i));
    i = end + 1;
    if (text[end] == '\r' && i < text.size() && text[i] == '\n') ++i;
  }
  return list;
}

std::uint8_t ParseStartStage(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == text.size()) return 0;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return 0;
    value = value * 10 + (text[i] - '0');
    if (value > INT64_C(2147483648)) return 0;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return 0;
  return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) & 0xFF);
}

std::string ReadVersionInfo(const Environment& environment, const std::string& path) {
  return environment.FileVersion(path);
}

std::string ProgramVersion(std::string_view fileVersion) {
  for (int i = 0; i < 2; ++i) {
    const auto dot = fileVersion.rfind('.');
    if (dot == std::string_view::npos) break;
    fileVersion = fileVersion.substr(0, dot);
  }
  return std::string(fileVersion);
}

std::string BuildVersionKey(const Settings& settings) {
  std::string key = settings.ProgramVersion;
  key += '.';
  key += settings.ApnVersion;
  return key;
}

void StoreApnVersion(Settings& settings, std::string_view version) {
  const auto dot = version.rfind('.');
  settings.ApnVersion =
      dot == std::string_view::npos ? std::string() : std::string(version.substr(dot + 1));
}

}  // namespace dw
