// libFuzzer target: LoadSettings over an in-memory registry filled from the
// input, then what was loaded saved to an empty registry and loaded again.
// Input, read with FuzzedDataProvider: control bytes from the end (options,
// then per value: which name, which type), texts from the front (a custom
// value name, the value's bytes), each ended by a backslash and one more
// character ("\\" is a backslash).
//   options bit 0: "/r" (plain settings); bit 1: the key refuses access;
//           bit 2: the key exists even without values
//   name: 0-7 the eight settings, 8 a name from the input
//   type: 0 text, 1 binary, 2 DWORD
// Loading never fails on what it finds, and what it loads survives a save.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "platform/fake/memory_registry.h"
#include "settings/settings.h"
#include "settings/stored_form.h"
#include "usage/budget_settings.h"

namespace {

bool SameStored(const dw::Settings& a, const dw::Settings& b) {
  return a.ModemName == b.ModemName && a.EntryName == b.EntryName && a.ApnList == b.ApnList &&
         a.ApnVersion == b.ApnVersion && a.StartStage == b.StartStage &&
         a.BillingDay == b.BillingDay && a.AllowanceMb == b.AllowanceMb &&
         a.DisconnectWhenUsedUp == b.DisconnectWhenUsedUp;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using dw::MemoryRegistry;
  static const char* const kNames[] = {"Modem",      "Connection", "APNs",        "APNVersion",
                                       "StartStage", "BillingDay", "AllowanceMB", "UsedUpDisconnect"};

  FuzzedDataProvider input(data, size);
  const auto options = input.ConsumeIntegral<std::uint8_t>();
  dw::CommandLine commandLine;
  commandLine.plainSettings = (options & 1) != 0;
  const bool denied = (options & 2) != 0;

  MemoryRegistry registry;
  if ((options & 4) != 0) registry.Create(dw::kSettingsRoot, dw::kSettingsKeyPath);
  bool anyValue = false;
  for (int count = 0; count < 32 && input.remaining_bytes() > 0; ++count) {
    const int which = input.ConsumeIntegralInRange<int>(0, 8);
    const auto type = static_cast<MemoryRegistry::ValueType>(input.ConsumeIntegralInRange<int>(0, 2));
    const std::string name = which < 8 ? kNames[which] : input.ConsumeRandomLengthString(64);
    const std::string bytes = input.ConsumeRandomLengthString(2048);
    registry.SetValue(dw::kSettingsRoot, dw::kSettingsKeyPath, name, type,
                      std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    anyValue = true;
  }
  if (denied) registry.DenyAccess(dw::kSettingsRoot, dw::kSettingsKeyPath);

  dw::Settings loaded;
  loaded.ModemName = "left over";
  loaded.ApnList.clear();
  const bool opened = dw::LoadSettings(registry, commandLine, loaded);
  DW_FUZZ_CHECK(opened == (!denied && (anyValue || (options & 4) != 0)));
  DW_FUZZ_CHECK(loaded.FirstStart == !opened);
  // Whatever is stored, the budget loads in range.
  DW_FUZZ_CHECK(loaded.BillingDay >= 1 && loaded.BillingDay <= 31);
  DW_FUZZ_CHECK(loaded.AllowanceMb <= dw::usage::kMaxAllowanceMb);
  if (!opened) {
    DW_FUZZ_CHECK(SameStored(loaded, dw::Settings()));
    return 0;
  }

  // What support staff see of the same key.
  if (const auto key = registry.OpenReadOnly(dw::kSettingsRoot, dw::kSettingsKeyPath)) {
    for (const auto& value : dw::InspectStoredValues(*key)) {
      DW_FUZZ_CHECK(!value.text || value.text->find('\0') == std::string::npos);
    }
  }

  MemoryRegistry saved;
  dw::SaveSettings(saved, commandLine, loaded);
  dw::Settings again;
  DW_FUZZ_CHECK(dw::LoadSettings(saved, commandLine, again));
  DW_FUZZ_CHECK(SameStored(loaded, again));
  return 0;
}
