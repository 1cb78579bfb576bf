// The settings the program keeps between runs, under one registry key of the
// machine, and the program's version texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/command_line.h"
#include "platform/environment.h"
#include "platform/registry.h"

namespace dw {

inline constexpr RegistryRoot kSettingsRoot = RegistryRoot::kLocalMachine;
inline constexpr std::string_view kSettingsKeyPath = "\\Software\\Korvana\\Dialwave";

// StartStage values: how far the user has come through the first run.
inline constexpr std::uint8_t kStageAgreement = 3;  // agreement not accepted yet
inline constexpr std::uint8_t kStageInstall = 0;    // accepted, not installed
inline constexpr std::uint8_t kStageInstalled = 2;  // normal operation

std::vector<std::string> DefaultApnList();

// The main window's copy of the settings and the values derived at start.
struct Settings {
  std::string ModemName;
  std::string EntryName;
  std::vector<std::string> ApnList = DefaultApnList();
  std::string ApnVersion = "0";
  std::uint8_t StartStage = kStageAgreement;
  // The usage ledger's budget: billing day 1-31, allowance in MB (2^20
  // bytes; 0: none), hang up when it is used up.
  int BillingDay = 1;
  std::uint32_t AllowanceMb = 0;
  bool DisconnectWhenUsedUp = false;
  bool FirstStart = false;     // the key could not be opened at load
  std::string ProgramVersion;  // "1.0" of file version "1.0.0.311"
};

// Resets `settings` to the defaults and reads every stored value over them;
// a budget value out of range keeps its default. The form (encrypted, or
// plain with "/r") follows `commandLine`. Returns whether the key could be
// opened and sets FirstStart to the opposite.
// Opens the key read-only: loading never creates it.
bool LoadSettings(const Registry& registry, const CommandLine& commandLine, Settings& settings,
                  std::string_view keyPath = kSettingsKeyPath);

// Writes the stored values, creating the key when missing. A key that
// cannot be created or opened for writing saves nothing, silently; a value the
// system refuses is skipped and the others are still written.
void SaveSettings(Registry& registry, const CommandLine& commandLine, const Settings& settings,
                  std::string_view keyPath = kSettingsKeyPath);

// The close handler's rule: nothing is stored (the key is not even created)
// until the user has accepted the agreement.
void SaveSettingsAtClose(Registry& registry, const CommandLine& commandLine,
                         const Settings& settings, std::string_view keyPath = kSettingsKeyPath);

// The list's text form: every entry followed by CR LF.
std::string ApnListText(const std::vector<std::string>& list);
// Lines split at CR LF, CR or LF; a final line end adds no empty entry.
std::vector<std::string> ApnListFromText(std::string_view text);

// The stored StartStage text: a decimal integer (blanks before it, a sign)
// whose low 8 bits count; anything else, including a number beyond 32 bits,
// is 0.
std::uint8_t ParseStartStage(std::string_view text);

// The file version string of the file's version resource; empty on failure.
std::string ReadVersionInfo(const Environment& environment, const std::string& path);
// The file version without its last two dot-separated components; with
// fewer dots, without what there is.
std::string ProgramVersion(std::string_view fileVersion);
// ProgramVersion, a dot, ApnVersion: the local version for the update server.
std::string BuildVersionKey(const Settings& settings);
// Keeps the text after the last dot of `version` as ApnVersion (empty when
// there is no dot).
void StoreApnVersion(Settings& settings, std::string_view version);

}  // namespace dw
