#include "scenario.h"

#include <sstream>

#include "text_util.h"

namespace dw::sim {

namespace {

constexpr Dword kErrorNoAnswer = 678;
constexpr Dword kErrorPppLcpTerminated = 734;

Outcome Lookup(const std::vector<std::pair<std::string, Outcome>>& rules, const std::string& name,
               bool ignoreCase, Dword fallbackError) {
  if (rules.empty()) return Outcome::Connect();
  const std::pair<std::string, Outcome>* any = nullptr;
  for (const auto& rule : rules) {
    if (rule.first == "*") {
      any = &rule;
    } else if (ignoreCase ? EqualsNoCase(rule.first, name) : rule.first == name) {
      return rule.second;
    }
  }
  return any ? any->second : Outcome::Error(fallbackError);
}

// "connect", "silent" or "error N".
std::optional<Outcome> ParseOutcome(const std::string& text) {
  if (text == "connect") return Outcome::Connect();
  if (text == "silent") return Outcome::Silent();
  if (text.rfind("error ", 0) == 0) {
    const auto code = ParseNumber(Trim(text.substr(6)));
    if (code && *code > 0 && *code <= 0xFFFFFFFFu) return Outcome::Error(static_cast<Dword>(*code));
  }
  return std::nullopt;
}

std::string FormatOutcome(const Outcome& outcome) {
  switch (outcome.kind) {
    case Outcome::Kind::kConnect:
      return "connect";
    case Outcome::Kind::kSilent:
      return "silent";
    case Outcome::Kind::kError:
      return "error " + std::to_string(outcome.error);
  }
  return "connect";
}

// A rule line's subject is its first word; the outcome is the rest.
bool ParseRule(const std::string& rest, std::vector<std::pair<std::string, Outcome>>& rules) {
  const std::size_t space = rest.find(' ');
  if (space == std::string::npos) return false;
  const auto outcome = ParseOutcome(Trim(rest.substr(space + 1)));
  if (!outcome) return false;
  rules.emplace_back(rest.substr(0, space), *outcome);
  return true;
}

// "name=Korvana;device=Korvana GPRS Modem;phone=*99#;user=pvlok"
bool ParseEntry(const std::string& rest, PresetEntry& entry) {
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = rest.find(';', start);
    if (end == std::string::npos) end = rest.size();
    const std::string field = rest.substr(start, end - start);
    start = end + 1;
    if (Trim(field).empty()) continue;
    const std::size_t eq = field.find('=');
    if (eq == std::string::npos) return false;
    const std::string key = Trim(field.substr(0, eq));
    const std::string value = field.substr(eq + 1);
    if (key == "name")
      entry.name = value;
    else if (key == "device")
      entry.deviceName = value;
    else if (key == "device-type")
      entry.deviceType = value;
    else if (key == "phone")
      entry.phone = value;
    else if (key == "user")
      entry.user = value;
    else if (key == "password")
      entry.password = value;
    else
      return false;
  }
  return !entry.name.empty();
}

bool ParseInt(const std::string& text, int& value, int max) {
  const auto n = ParseNumber(text);
  if (!n || *n > static_cast<std::uint64_t>(max)) return false;
  value = static_cast<int>(*n);
  return true;
}

bool ParseDword(const std::string& text, Dword& value) {
  const auto n = ParseNumber(text);
  if (!n || *n > 0xFFFFFFFFu) return false;
  value = static_cast<Dword>(*n);
  return true;
}

}  // namespace

Outcome Scenario::ForApn(const std::string& apn) const {
  return Lookup(apns, apn, true, kErrorPppLcpTerminated);
}

Outcome Scenario::ForNumber(const std::string& number) const {
  return Lookup(numbers, number, false, kErrorNoAnswer);
}

Dword Scenario::ReportedSize(ras::Record record, Dword own) const {
  const Dword size = reportedSizes[static_cast<std::size_t>(record)];
  return size != 0 ? size : own;
}

const char* RecordName(ras::Record record) {
  switch (record) {
    case ras::Record::kEntryName:
      return "entry-name";
    case ras::Record::kEntry:
      return "entry";
    case ras::Record::kDialParams:
      return "dial-params";
    case ras::Record::kDevInfo:
      return "dev-info";
    case ras::Record::kConn:
      return "conn";
    case ras::Record::kConnStatus:
      return "conn-status";
    case ras::Record::kStats:
      return "stats";
  }
  return "";
}

Scenario DefaultScenario() {
  Scenario s;
  s.devices = {{"modem", "Korvana GPRS Modem"}, {"isdn", "Korvana ISDN Adapter"}};
  s.apns = {{"internet.kvr", Outcome::Connect()}, {"*", Outcome::Error(kErrorPppLcpTerminated)}};
  s.numbers = {{"*99***1#", Outcome::Connect()}, {"*99#", Outcome::Connect()}};
  return s;
}

std::optional<Scenario> ParseScenario(const std::string& text, std::string* error) {
  Scenario s;
  int lineNumber = 0;
  for (const std::string& raw : SplitLines(text)) {
    ++lineNumber;
    const std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') continue;
    const std::size_t space = line.find(' ');
    const std::string key = line.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : Trim(line.substr(space + 1));
    bool ok = true;
    if (key == "device") {
      const std::size_t gap = rest.find(' ');
      ok = gap != std::string::npos;
      if (ok) s.devices.push_back({rest.substr(0, gap), Trim(rest.substr(gap + 1))});
    } else if (key == "apn") {
      ok = ParseRule(rest, s.apns);
    } else if (key == "number") {
      ok = ParseRule(rest, s.numbers);
    } else if (key == "entry") {
      PresetEntry entry;
      ok = ParseEntry(rest, entry);
      if (ok) s.entries.push_back(entry);
    } else if (key == "notify-delay-ms") {
      ok = ParseInt(rest, s.notifyDelayMs, 3600000);
    } else if (key == "hangup-delay-ms") {
      ok = ParseInt(rest, s.hangupDelayMs, 3600000);
    } else if (key == "rate-received") {
      ok = ParseDword(rest, s.rateReceived);
    } else if (key == "rate-sent") {
      ok = ParseDword(rest, s.rateSent);
    } else if (key == "drop-after-s") {
      ok = ParseInt(rest, s.dropAfterSeconds, 86400 * 365);
    } else if (key == "record-size") {
      // "record-size conn 720": a record of a later service pack.
      const std::size_t gap = rest.find(' ');
      ok = false;
      for (ras::Record r : ras::kAllRecords) {
        if (gap != std::string::npos && rest.substr(0, gap) == RecordName(r)) {
          Dword size = 0;
          ok = ParseDword(Trim(rest.substr(gap + 1)), size) && size >= 4 && size <= 65536;
          if (ok) s.reportedSizes[static_cast<std::size_t>(r)] = size;
        }
      }
    } else if (key == "login") {
      const std::size_t gap = rest.find(' ');
      ok = gap != std::string::npos && gap > 0;
      if (ok) s.login = std::make_pair(rest.substr(0, gap), rest.substr(gap + 1));
    } else if (key == "strict") {
      ok = rest == "on" || rest == "off";
      s.strict = rest == "on";
    } else if (key == "fault") {
      if (rest == "hung")
        s.hung = true;
      else if (rest == "all-711")
        s.all711 = true;
      else if (rest == "hangup-never")
        s.hangupNever = true;
      else if (rest == "entry-write-denied")
        s.entryWriteDenied = true;
      else
        ok = false;
    } else {
      ok = false;
    }
    if (!ok) {
      if (error) *error = "line " + std::to_string(lineNumber) + ": " + line;
      return std::nullopt;
    }
  }
  return s;
}

std::string FormatScenario(const Scenario& s) {
  std::ostringstream out;
  out << "strict " << (s.strict ? "on" : "off") << "\n";
  for (const Device& d : s.devices) out << "device " << d.type << " " << d.name << "\n";
  for (const auto& [name, outcome] : s.apns)
    out << "apn " << name << " " << FormatOutcome(outcome) << "\n";
  for (const auto& [name, outcome] : s.numbers) {
    out << "number " << name << " " << FormatOutcome(outcome) << "\n";
  }
  for (const PresetEntry& e : s.entries) {
    out << "entry name=" << e.name << ";device-type=" << e.deviceType << ";device=" << e.deviceName
        << ";phone=" << e.phone << ";user=" << e.user << ";password=" << e.password << "\n";
  }
  for (ras::Record r : ras::kAllRecords) {
    if (const Dword size = s.reportedSizes[static_cast<std::size_t>(r)]) {
      out << "record-size " << RecordName(r) << " " << size << "\n";
    }
  }
  if (s.login) out << "login " << s.login->first << " " << s.login->second << "\n";
  out << "notify-delay-ms " << s.notifyDelayMs << "\n";
  out << "hangup-delay-ms " << s.hangupDelayMs << "\n";
  out << "rate-received " << s.rateReceived << "\n";
  out << "rate-sent " << s.rateSent << "\n";
  out << "drop-after-s " << s.dropAfterSeconds << "\n";
  if (s.hung) out << "fault hung\n";
  if (s.all711) out << "fault all-711\n";
  if (s.hangupNever) out << "fault hangup-never\n";
  if (s.entryWriteDenied) out << "fault entry-write-denied\n";
  return out.str();
}

}  // namespace dw::sim
