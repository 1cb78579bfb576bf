// What the simulated network and machine are like: devices, what each APN
// and number leads to, timings, traffic rates and faults. Plain text, one
// setting per line; sim/README.md documents the format.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ras/records.h"

namespace dw::sim {

using ras::Dword;

struct Outcome {
  enum class Kind { kConnect, kError, kSilent };
  Kind kind = Kind::kConnect;
  Dword error = 0;  // for kError

  static Outcome Connect() { return {}; }
  static Outcome Error(Dword code) { return {Kind::kError, code}; }
  static Outcome Silent() { return {Kind::kSilent, 0}; }
  bool operator==(const Outcome&) const = default;
};

struct Device {
  std::string type;  // "modem", "isdn", ...
  std::string name;
  bool operator==(const Device&) const = default;
};

// A phone-book entry that a scenario brings with it.
struct PresetEntry {
  std::string name;
  std::string deviceType = "modem";
  std::string deviceName;
  std::string phone;
  std::string user;
  std::string password;
  bool operator==(const PresetEntry&) const = default;
};

struct Scenario {
  std::vector<Device> devices;
  // Rules by APN (compared without regard to case) and by number (exact);
  // the name "*" is the rule for every other one.
  std::vector<std::pair<std::string, Outcome>> apns;
  std::vector<std::pair<std::string, Outcome>> numbers;
  std::vector<PresetEntry> entries;
  int notifyDelayMs = 100;    // between two dial notifications
  int hangupDelayMs = 200;    // from RasHangUpA until the connection is gone
  Dword rateReceived = 6000;  // bytes per second while connected
  Dword rateSent = 1500;
  int dropAfterSeconds = 0;  // 0: connections stay up
  bool strict = true;        // only the sizes the program's generation uses
  // A later service pack's records: where not 0, the size the service
  // reports for a record (size queries, bytes needed) and accepts besides
  // the generation's own. Indexed by ras::Record.
  std::array<Dword, 7> reportedSizes{};
  // When set, a dial must carry this user name and password or it fails
  // with 691 at authentication.
  std::optional<std::pair<std::string, std::string>> login;
  // Faults.
  bool hung = false;         // every call but RasGetErrorStringA blocks
  bool all711 = false;       // every call but RasGetErrorStringA answers 711
  bool hangupNever = false;  // RasHangUpA answers 0 and nothing happens
  // RasSetEntryPropertiesA answers 5 (access denied) to a request it would
  // otherwise carry out: a user who may not change the phone book.
  bool entryWriteDenied = false;

  // The rule for an APN or a number. With no rules at all everything
  // connects; otherwise a name without a rule of its own follows "*", and
  // without "*" fails (734 for an APN, 678 for a number).
  Outcome ForApn(const std::string& apn) const;
  Outcome ForNumber(const std::string& number) const;
  // The size the service reports for `record`: the scenario's, else `own`.
  Dword ReportedSize(ras::Record record, Dword own) const;

  bool operator==(const Scenario&) const = default;
};

// One modem "Korvana GPRS Modem", one ISDN device, APN "internet.kvr"
// connects, every other APN fails with 734, "*99***1#" and "*99#" connect.
Scenario DefaultScenario();

// The scenario's names of the records ("entry-name", "entry", "dial-params",
// "dev-info", "conn", "conn-status", "stats").
const char* RecordName(ras::Record record);

// nullopt and a message naming the line when the text is not a scenario.
std::optional<Scenario> ParseScenario(const std::string& text, std::string* error = nullptr);
std::string FormatScenario(const Scenario& scenario);

}  // namespace dw::sim
