#include "report/report.h"

#include <algorithm>
#include <array>
#include <exception>
#include <vector>

#include "crypto/encrypt.h"
#include "log/log.h"
#include "modem/modems.h"
#include "phonebook/phonebook.h"
#include "ras/advice.h"
#include "ras/binding.h"
#include "ras/context.h"
#include "ras/record_access.h"
#include "report/digits.h"
#include "report/history.h"
#include "settings/settings.h"
#include "settings/stored_form.h"

namespace dw::report {
namespace {

using ras::Dword;
using ras::Record;
using Entry = ras::v501::RasEntryA;   // every older layout is its prefix
using Params = ras::v401::RasDialParamsA;

// A RAS call that could not be made: no library, or no such entry point.
constexpr Dword kRasMissing = 0xFFFFFFFFu;
// Enough for the log's last 200 lines, however long a few of them are.
constexpr std::size_t kLogTailBytes = 256 * 1024;
constexpr std::size_t kMinSecret = 3;
constexpr std::string_view kMask = "***";

constexpr std::array<TextId, 10> kSections = {
    TextId::ReportSecProgram, TextId::ReportSecWindows, TextId::ReportSecRights,
    TextId::ReportSecModems,  TextId::ReportSecEntry,   TextId::ReportSecApn,
    TextId::ReportSecSettings, TextId::ReportSecAttempts, TextId::ReportSecUsage,
    TextId::ReportSecLog};

const std::string& T(TextId id) { return Text(id); }

std::string Hex(Dword n) {
  std::string text = "0x";
  for (int shift = 28; shift >= 0; shift -= 4) text += "0123456789ABCDEF"[n >> shift & 0xF];
  return text;
}

// "DD.MM.YYYY HH:MM:SS", as a Russian reader writes it.
std::string ShownTime(const LocalDateTime& t) {
  std::string text;
  const int fields[] = {t.day, t.month, t.year, t.hour, t.minute, t.second};
  for (int i = 0; i < 6; ++i) {
    if (i > 0) text += ".. ::"[i - 1];
    AppendDigits(text, static_cast<std::uint64_t>(std::max(fields[i], 0)), i == 2 ? 4 : 2);
  }
  return text;
}

std::string ShownDate(const LocalDateTime& t) { return ShownTime(t).substr(0, 10); }

// The binding modules' names, "Ras" and the generation: Ras98, RasME, ...
std::string ModuleName(ras::Module m) {
  constexpr std::array<const char*, 4> kGenerations = {"98", "ME", "2k", "XP"};
  return std::string("Ras") + kGenerations[static_cast<std::size_t>(m)];
}

const char* GenerationName(ras::Generation g) {
  switch (g) {
    case ras::Generation::kWin98:
      return "Windows 98";
    case ras::Generation::kWinMe:
      return "Windows ME";
    case ras::Generation::kWin2000:
      return "Windows 2000";
    case ras::Generation::kWinXp:
      return "Windows XP";
    case ras::Generation::kVista:
      return "Windows Vista or later";
  }
  return "?";
}

// RASEO_* by bit.
constexpr std::array<const char*, 32> kOptionNames = {
    "UseCountryAndAreaCodes", "SpecificIpAddr",     "SpecificNameServers", "IpHeaderCompression",
    "RemoteDefaultGateway",   "DisableLcpExtensions", "TerminalBeforeDial", "TerminalAfterDial",
    "ModemLights",            "SwCompression",      "RequireEncryptedPw",  "RequireMsEncryptedPw",
    "RequireDataEncryption",  "NetworkLogon",       "UseLogonCredentials", "PromoteAlternates",
    "SecureLocalFiles",       "RequireEAP",         "RequirePAP",          "RequireSPAP",
    "Custom",                 "PreviewPhoneNumber", nullptr,               "SharedPhoneNumbers",
    "PreviewUserPw",          "PreviewDomain",      "ShowDialingProgress", "RequireCHAP",
    "RequireMsCHAP",          "RequireMsCHAP2",     "RequireW95MSCHAP",    "CustomScript"};

// The value, then the name of each bit set (its number where it has none).
std::string Flags(Dword value, std::span<const char* const> names) {
  std::string text = Hex(value);
  for (std::size_t bit = 0; bit < 32; ++bit) {
    if ((value >> bit & 1u) == 0) continue;
    text += ' ';
    if (bit < names.size() && names[bit] != nullptr) {
      text += names[bit];
    } else {
      text += "bit";
      AppendDigits(text, bit);
    }
  }
  return text;
}

// Texts from the machine, shown on one line each: control characters would
// break the lines, and any of the secrets anywhere in them is masked.
class Masker {
 public:
  void AddSecret(std::string_view secret) {
    if (secret.size() >= kMinSecret) secrets_.emplace_back(secret);
  }
  std::string operator()(std::string_view text) const {
    std::string out(text);
    for (char& c : out) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    for (const std::string& secret : secrets_) {
      for (auto at = out.find(secret); at != std::string::npos; at = out.find(secret, at + kMask.size())) {
        out.replace(at, secret.size(), kMask);
      }
    }
    return out;
  }

 private:
  std::vector<std::string> secrets_;
};

// A settings value as the program would read it, or why not.
struct Stored {
  enum State { kMissing, kEncrypted, kPlain, kNotText, kNoDecrypt } state = kMissing;
  std::string text;  // code page 1251, for kEncrypted and kPlain
  bool Usable() const { return state == kEncrypted || state == kPlain; }
};

Stored ReadStored(const RegistryKey* key, std::string_view name) {
  Stored s;
  if (key == nullptr || !key->ValueExists(name)) return s;
  const auto text = key->ReadText(name);
  if (!text) {
    s.state = Stored::kNotText;
  } else if (!LooksEncrypted(*text)) {
    s.state = Stored::kPlain;
    s.text = *text;
  } else if (auto plain = DecryptIntact(*text)) {
    s.state = Stored::kEncrypted;
    s.text = std::move(*plain);
  } else {
    s.state = Stored::kNoDecrypt;
  }
  return s;
}

bool IsDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  return i < text.size() &&
         std::all_of(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

struct Device {
  std::string type;
  std::string name;
  bool modem = false;
  std::string userInit;  // modems only
  bool noRights = false;
};

// Everything the report says, gathered before a line is written: the
// secrets must be known before anything from the machine is shown.
struct Facts {
  std::string executablePath;
  std::string fileVersion;
  std::uint32_t winVer = 0;
  std::uint32_t platformId = 0;
  WindowsVersion version;
  UserRights rights;
  bool rasLoaded = false;

  bool settingsKey = false;
  std::vector<std::pair<std::string, Stored>> settings;  // in the registry's order
  Stored modem, entryName, apns, apnVersion;

  Dword devicesResult = 0;
  std::vector<Device> devices;
  bool rasDown = false;  // 711 met: no more RAS calls

  Dword entryResult = kRasMissing;  // not asked while no entry is named
  std::vector<std::uint8_t> entry;
  Dword paramsResult = kRasMissing;
  std::vector<std::uint8_t> params;
  bool passwordSaved = false;

  AttemptHistory attempts;
  StoredUpdateAnswer updateAnswer;
  std::optional<UsageSummary> usage;
  std::string logPath;
  ReportFiles::Tail log;
};

// One RAS call: a library without the entry point is an answer too.
// Without a library every call would first wait out a readiness check that
// can never succeed: it is not asked at all.
template <typename F>
Dword Ask(Facts& facts, F call) {
  if (!facts.rasLoaded) return kRasMissing;
  if (facts.rasDown) return ras::kErrorRasmanCannotInitialize;
  Dword r = kRasMissing;
  try {
    r = call();
  } catch (const std::exception&) {
    r = kRasMissing;
  }
  if (r == ras::kErrorRasmanCannotInitialize) facts.rasDown = true;
  return r;
}

void GatherDevices(Facts& facts, Registry& registry) {
  Dword bytes = 0;
  Dword count = 0;
  // The count is asked of Ras2k on every generation, as the modem list does.
  Dword r = Ask(facts, [&] { return ras::kRas2k.EnumDevices(nullptr, &bytes, &count); });
  std::vector<std::uint8_t> array;
  const ras::Binding calls = ras::CallBinding();
  const Dword stride = calls.Size(Record::kDevInfo);
  if (r == ras::kErrorBufferTooSmall) {
    array = ras::SystemSizedArray(bytes, count, stride);
    r = Ask(facts, [&] { return calls.EnumDevices(array.data(), &bytes, &count); });
  }
  facts.devicesResult = r;
  if (r != ras::kSuccess) return;
  const modem::ModemInitStore store(registry, facts.platformId);
  const std::size_t n = std::min<std::size_t>(count, array.size() / std::max<Dword>(stride, 1));
  for (std::size_t i = 0; i < n; ++i) {
    Device d;
    d.type = ras::ReadField(array, i * stride + offsetof(ras::RasDevInfoA, szDeviceType),
                            ras::kMaxDeviceType + 1);
    d.name = ras::ReadField(array, i * stride + offsetof(ras::RasDevInfoA, szDeviceName),
                            ras::kMaxDeviceName + 1);
    std::string upper = d.type;
    for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    d.modem = upper == "MODEM";
    if (d.modem) {
      try {
        d.userInit = store.Read(d.name);
      } catch (const modem::ModemRightsError&) {
        d.noRights = true;
      }
    }
    facts.devices.push_back(std::move(d));
  }
}

void GatherEntry(Facts& facts) {
  if (!facts.entryName.Usable() || facts.entryName.text.empty()) return;
  const std::string& name = facts.entryName.text;
  const ras::Binding entries = ras::EntryBinding();
  // The record's own size is the one the system reports for the default
  // entry; the entry's buffer may be larger (its other numbers follow it).
  Dword size = 0;
  Dword r = Ask(facts, [&] { return entries.GetEntryProperties("", nullptr, &size, nullptr, nullptr); });
  if (r != ras::kErrorBufferTooSmall || size < sizeof(Dword)) size = entries.Size(Record::kEntry);
  Dword buffer = 0;
  r = Ask(facts, [&] { return entries.GetEntryProperties(name.c_str(), nullptr, &buffer, nullptr, nullptr); });
  if (r != ras::kErrorBufferTooSmall && r != ras::kSuccess) {
    facts.entryResult = r;
    return;
  }
  facts.entry.assign(std::max<std::size_t>({buffer, size, sizeof(Entry)}), 0);
  ras::WriteDword(facts.entry, 0, size);
  buffer = static_cast<Dword>(facts.entry.size());
  facts.entryResult = Ask(facts, [&] {
    return entries.GetEntryProperties(name.c_str(), facts.entry.data(), &buffer, nullptr, nullptr);
  });
  if (facts.entryResult != ras::kSuccess) facts.entry.clear();

  const ras::Binding calls = ras::CallBinding();
  facts.params.assign(sizeof(Params), 0);
  ras::WriteDword(facts.params, 0, calls.Size(Record::kDialParams));
  ras::WriteField(facts.params, offsetof(Params, szEntryName), ras::kMaxEntryName + 1, name);
  std::int32_t saved = 0;
  facts.paramsResult = Ask(facts, [&] { return calls.GetEntryDialParams(facts.params.data(), &saved); });
  facts.passwordSaved = saved != 0;
  if (facts.paramsResult != ras::kSuccess) facts.params.clear();
}

Facts Gather(const ReportSources& s) {
  Facts f;
  f.executablePath = s.environment->ExecutablePath();
  f.fileVersion = s.environment->FileVersion(f.executablePath);
  f.winVer = s.environment->WinVer();
  f.platformId = s.environment->PlatformId();
  f.version = s.system->Version();
  f.rights = s.system->Rights();
  const RasLibrary* library = ras::CurrentRasContext().library;
  f.rasLoaded = library != nullptr && library->IsLoaded();

  const auto key = s.registry->OpenReadOnly(kSettingsRoot, kSettingsKeyPath);
  f.settingsKey = key != nullptr;
  if (key) {
    for (auto& name : key->ValueNames()) {
      Stored value = ReadStored(key.get(), name);
      f.settings.emplace_back(std::move(name), std::move(value));
    }
  }
  f.modem = ReadStored(key.get(), "Modem");
  f.entryName = ReadStored(key.get(), "Connection");
  f.apns = ReadStored(key.get(), "APNs");
  f.apnVersion = ReadStored(key.get(), "APNVersion");

  GatherDevices(f, *s.registry);
  GatherEntry(f);

  f.attempts = LoadAttempts(*s.registry);
  f.updateAnswer = LoadUpdateAnswer(*s.registry);
  if (s.usage) f.usage = s.usage->CurrentPeriod();
  f.logPath = LogFilePath(f.executablePath);
  f.log = s.files->ReadTail(f.logPath, kLogTailBytes);
  return f;
}

// Out of line, each: a report of many small parts stays small code.
class Writer {
 public:
  explicit Writer(const Masker& mask) : mask_(mask) {}

  // Parts from the program, as they are.
  [[gnu::noinline]] Writer& operator<<(std::string_view part) {
    text_ += part;
    return *this;
  }
  [[gnu::noinline]] Writer& operator<<(TextId id) {
    text_ += Text(id);
    return *this;
  }
  [[gnu::noinline]] Writer& operator<<(std::uint64_t n) {
    AppendDigits(text_, n);
    return *this;
  }
  // A text from the machine.
  [[gnu::noinline]] Writer& Value(std::string_view part) {
    text_ += mask_(part);
    return *this;
  }
  [[gnu::noinline]] void End() { text_ += "\r\n"; }
  [[gnu::noinline]] void Section(TextId title) {
    text_ += "\r\n";
    text_ += SectionLine(Text(title));
    End();
  }
  std::string Take() { return std::move(text_); }

 private:
  const Masker& mask_;
  std::string text_;
};

const std::string& YesNo(Answer a) {
  return T(a == Answer::kYes ? TextId::ReportYes : a == Answer::kNo ? TextId::ReportNo : TextId::ReportUnknown);
}

void RasFailure(Writer& w, Dword r) {
  w << TextId::ReportRasFailed;
  if (r == kRasMissing) {
    w << TextId::ReportRasMissing;
  } else {
    w << r << ": " << ras::AdviceCause(r);
  }
  w.End();
}

void WriteProgram(Writer& w, const Facts& f) {
  w.Section(TextId::ReportSecProgram);
  w << TextId::ReportFileVersion;
  w.Value(f.fileVersion.empty() ? T(TextId::ReportUnknown) : f.fileVersion);
  w.End();
  w << TextId::ReportPath;
  w.Value(f.executablePath);
  w.End();
}

void WriteWindows(Writer& w, const Facts& f) {
  w.Section(TextId::ReportSecWindows);
  w << TextId::ReportWinVersion << f.version.major << "." << f.version.minor << "."
    << f.version.build << " ";
  w.Value(f.version.servicePack);
  w.End();
  w << TextId::ReportPlatform << f.platformId
    << (f.platformId == 2 ? " (Windows NT)" : f.platformId == 1 ? " (Windows 9x)" : "");
  w.End();
  w << TextId::ReportGeneration << GenerationName(ras::GenerationOf(f.winVer)) << " (WinVer "
    << f.winVer << ")";
  w.End();
  w << TextId::ReportRasLibrary << T(f.rasLoaded ? TextId::ReportLoaded : TextId::ReportNotLoaded);
  w.End();
  const ras::Module entries = ras::EntryModule(f.winVer);
  const ras::Module calls = ras::CallModule(f.winVer);
  w << TextId::ReportRasModules << ModuleName(entries) << TextId::ReportRasOtherCalls
    << ModuleName(calls);
  w.End();
  constexpr std::array<const char*, 7> kRecordNames = {
      "RASENTRYNAME", "RASENTRY", "RASDIALPARAMS", "RASDEVINFO", "RASCONN", "RASCONNSTATUS", "RAS_STATS"};
  w << TextId::ReportRecordSizes;
  for (std::size_t i = 0; i < std::size(ras::kAllRecords); ++i) {
    const Record r = ras::kAllRecords[i];
    const Dword size = ras::ModuleRecordSize(r == Record::kEntry ? entries : calls, r);
    w << (i ? ", " : "") << kRecordNames[i] << " ";
    if (size) {
      w << size;
    } else {
      w << TextId::ReportNotUsed;
    }
  }
  w.End();
}

void WriteRights(Writer& w, const Facts& f) {
  w.Section(TextId::ReportSecRights);
  if (f.platformId == 1) {
    w << TextId::ReportAdmin9x;
    w.End();
    return;
  }
  w << TextId::ReportAdmin << YesNo(f.rights.administrator);
  w.End();
  if (f.winVer >= 600) {
    w << TextId::ReportElevated << YesNo(f.rights.elevated);
    w.End();
    if (f.rights.limitedAdministrator) {
      w << TextId::ReportLimitedAdmin;
      w.End();
    }
  }
}

void WriteModems(Writer& w, const Facts& f) {
  w.Section(TextId::ReportSecModems);
  if (f.devicesResult != ras::kSuccess) {
    RasFailure(w, f.devicesResult);
  } else {
    w << TextId::ReportRasDevices << f.devices.size();
    w.End();
    for (const Device& d : f.devices) {
      w << "  ";
      w.Value(d.type);
      w << ": ";
      w.Value(d.name);
      if (d.noRights) {
        w << "; UserInit: " << TextId::ReportModemRights;
      } else if (!d.userInit.empty()) {
        w << "; UserInit: ";
        w.Value(MaskModemCommands(d.userInit));
      } else if (d.modem) {
        w << "; UserInit: " << TextId::ReportNone;
      }
      w.End();
    }
  }
  w << TextId::ReportSelectedModem;
  if (!f.modem.Usable() || f.modem.text.empty()) {
    w << TextId::ReportNotChosen;
  } else {
    w.Value(f.modem.text);
    const bool listed = std::any_of(f.devices.begin(), f.devices.end(),
                                    [&](const Device& d) { return d.name == f.modem.text; });
    if (f.devicesResult == ras::kSuccess) w << T(listed ? TextId::ReportInList : TextId::ReportNotInList);
  }
  w.End();
}

void WriteEntry(Writer& w, const Facts& f) {
  w.Section(TextId::ReportSecEntry);
  w << TextId::ReportEntryName;
  if (!f.entryName.Usable() || f.entryName.text.empty()) {
    w << TextId::ReportNone;
    w.End();
    return;
  }
  w.Value(f.entryName.text);
  w.End();
  if (f.entry.empty()) {
    if (f.entryResult == ras::kErrorCannotFindPhonebookEntry) {
      w << TextId::ReportEntryMissing << f.entryResult;
      w.End();
    } else {
      RasFailure(w, f.entryResult);
    }
    return;
  }
  const auto& e = f.entry;
  const Dword size = ras::ReadDword(e, 0);
  auto field = [&](std::size_t offset, std::size_t bytes) { return ras::ReadField(e, offset, bytes); };
  auto dword = [&](std::size_t offset) { return ras::ReadDword(e, offset); };
  w << TextId::ReportDevice;
  w.Value(field(offsetof(Entry, szDeviceType), ras::kMaxDeviceType + 1));
  w << " / ";
  w.Value(field(offsetof(Entry, szDeviceName), ras::kMaxDeviceName + 1));
  w.End();
  w << TextId::ReportNumber;
  w.Value(field(offsetof(Entry, szLocalPhoneNumber), ras::kMaxPhoneNumber + 1));
  w << " (dwCountryCode " << dword(offsetof(Entry, dwCountryCode)) << ", szAreaCode \"";
  w.Value(field(offsetof(Entry, szAreaCode), ras::kMaxAreaCode + 1));
  w << "\")";
  w.End();
  // The other numbers: zero-terminated texts after the record, ended by an
  // empty one.
  w << TextId::ReportAlternates;
  std::size_t at = ras::ReadDword(e, offsetof(Entry, dwAlternateOffset));
  bool any = false;
  while (at >= sizeof(Dword) && at < e.size() && e[at] != 0) {
    const std::string number = ras::ReadField(e, at, e.size() - at);
    w << (any ? ", " : "");
    w.Value(number);
    any = true;
    at += number.size() + 1;
  }
  if (!any) w << TextId::ReportNone;
  w.End();
  const Dword options = ras::ReadDword(e, offsetof(Entry, dwfOptions));
  w << "dwfOptions " << Flags(options, kOptionNames);
  w.End();
  constexpr std::array<const char*, 3> kFraming = {"PPP", "SLIP", "RAS"};
  constexpr std::array<const char*, 3> kProtocols = {"NetBEUI", "IPX", "IP"};
  w << "dwFramingProtocol " << Flags(ras::ReadDword(e, offsetof(Entry, dwFramingProtocol)), kFraming)
    << "; dwfNetProtocols " << Flags(ras::ReadDword(e, offsetof(Entry, dwfNetProtocols)), kProtocols);
  w.End();
  if (size > offsetof(Entry, dwDialMode)) {
    w << "dwDialMode " << dword(offsetof(Entry, dwDialMode)) << "; dwIdleDisconnectSeconds "
      << dword(offsetof(Entry, dwIdleDisconnectSeconds));
    w.End();
  }
  if (size > offsetof(Entry, dwEncryptionType)) {
    w << "dwType " << dword(offsetof(Entry, dwType)) << "; dwEncryptionType "
      << dword(offsetof(Entry, dwEncryptionType));
    w.End();
  }
  if (size > offsetof(Entry, dwRedialPause)) {
    w << "dwfOptions2 " << Hex(ras::ReadDword(e, offsetof(Entry, dwfOptions2)))
      << "; szPrerequisiteEntry \"";
    w.Value(field(offsetof(Entry, szPrerequisiteEntry), ras::kMaxEntryName + 1));
    w << "\"; dwRedialCount " << dword(offsetof(Entry, dwRedialCount)) << "; dwRedialPause "
      << dword(offsetof(Entry, dwRedialPause));
    w.End();
  }
  w << "dwSize " << size;
  w.End();

  w << TextId::ReportDialParams;
  w.End();
  if (f.params.empty()) {
    RasFailure(w, f.paramsResult);
    return;
  }
  const auto& p = f.params;
  const bool user = !ras::ReadField(p, offsetof(Params, szUserName), ras::kUnLen + 1).empty();
  const bool password = !ras::ReadField(p, offsetof(Params, szPassword), ras::kPwLen + 1).empty();
  const bool domain = !ras::ReadField(p, offsetof(Params, szDomain), ras::kDnLen + 1).empty();
  w << TextId::ReportUserName << (user ? kMask : T(TextId::ReportNone));
  w.End();
  w << TextId::ReportPassword << (password ? kMask : T(TextId::ReportNone))
    << T(f.passwordSaved ? TextId::ReportSaved : TextId::ReportNotSaved);
  w.End();
  w << "szDomain " << (domain ? kMask : T(TextId::ReportNone)) << "; szPhoneNumber \"";
  w.Value(ras::ReadField(p, offsetof(Params, szPhoneNumber), ras::kMaxPhoneNumber + 1));
  w << "\"; szCallbackNumber \"";
  w.Value(ras::ReadField(p, offsetof(Params, szCallbackNumber), ras::kMaxPhoneNumber + 1));
  w << "\"";
  w.End();
}

void Damage(Writer& w, Stored::State state) {
  w << TextId::ReportDamaged
    << T(state == Stored::kNotText ? TextId::ReportNotText : TextId::ReportNoDecrypt);
}

void WriteApn(Writer& w, const Facts& f) {
  w.Section(TextId::ReportSecApn);
  w << TextId::ReportApnList;
  std::vector<std::string> apns = DefaultApnList();
  if (f.apns.Usable()) {
    apns = ApnListFromText(f.apns.text);
  } else if (f.apns.state != Stored::kMissing) {
    w << " ";
    Damage(w, f.apns.state);
  } else {
    w << TextId::ReportDefault;
  }
  w.End();
  for (std::size_t i = 0; i < apns.size(); ++i) {
    w << "  " << i + 1 << ". ";
    w.Value(apns[i]);
    w.End();
  }
  Settings versions;
  versions.ProgramVersion = ProgramVersion(f.fileVersion);
  if (f.apnVersion.Usable()) versions.ApnVersion = f.apnVersion.text;
  w << TextId::ReportVersionKey;
  w.Value(BuildVersionKey(versions));
  w.End();
  w << TextId::ReportUpdateAnswer;
  if (f.updateAnswer.damaged) {
    w << TextId::ReportDamaged << TextId::ReportNoDecrypt;
  } else if (f.updateAnswer.answer) {
    w << ShownTime(f.updateAnswer.answer->time) << " ";
    w.Value(f.updateAnswer.answer->result);
  } else {
    w << TextId::ReportNoData;
  }
  w.End();
}

void WriteSettings(Writer& w, const Facts& f) {
  w.Section(TextId::ReportSecSettings);
  const std::string where = "HKEY_LOCAL_MACHINE" + std::string(kSettingsKeyPath);
  if (!f.settingsKey) {
    w << TextId::ReportNoSettings << where;
    w.End();
    return;
  }
  w << where;
  w.End();
  for (const auto& [name, value] : f.settings) {
    w.Value(name);
    w << " = ";
    const bool known = name == "Modem" || name == "Connection" || name == "APNs" ||
                       name == "APNVersion" || name == "StartStage";
    if (!known) {
      w << TextId::ReportHidden;
    } else if (!value.Usable()) {
      Damage(w, value.state);
    } else if (name == "StartStage" && !IsDecimal(value.text)) {
      w << TextId::ReportDamaged << TextId::ReportNotNumber;
    } else if (name == "APNs") {
      std::string shown;
      for (const auto& apn : ApnListFromText(value.text)) shown += (shown.empty() ? "" : ", ") + apn;
      w.Value(shown);
      if (value.state == Stored::kPlain) w << TextId::ReportPlainStored;
    } else {
      w.Value(value.text);
      if (value.state == Stored::kPlain) w << TextId::ReportPlainStored;
    }
    w.End();
  }
}

void WriteAttempts(Writer& w, const Facts& f) {
  w.Section(TextId::ReportSecAttempts);
  const auto& history = f.attempts;
  if (history.restartedAt) {
    w << TextId::ReportAttemptsDamaged << " " << ShownTime(*history.restartedAt);
    w.End();
  }
  if (history.damaged) {
    w << TextId::ReportAttemptsDamagedNow;
    w.End();
  }
  if (history.attempts.empty()) {
    w << TextId::ReportNoAttempts;
    w.End();
    return;
  }
  w << TextId::ReportAttemptsOf << history.attempts.size() << " / " << kAttemptsKept;
  w.End();
  // The newest first: the subscriber's problem of today.
  for (auto it = history.attempts.rbegin(); it != history.attempts.rend(); ++it) {
    w << "  [" << it->code << "] " << ShownTime(it->time) << ", APN ";
    w.Value(it->apn);
    w << TextId::ReportNumberLabel;
    w.Value(it->number);
    if (it->code == ras::kSuccess) {
      w << ": " << TextId::ReportConnected;
      w.End();
      continue;
    }
    w << ": " << ras::AdviceCause(it->code);
    w.End();
    w << "      " << TextId::ReportSystemText;
    w.Value(it->errorText.empty() ? T(TextId::ReportNone) : it->errorText);
    w.End();
    w << "      " << TextId::AdviceLabel << ras::Advice(it->code);
    w.End();
  }
}

void WriteUsage(Writer& w, const Facts& f) {
  w.Section(TextId::ReportSecUsage);
  if (!f.usage) {
    w << TextId::ReportNoLedger;
    w.End();
    return;
  }
  const UsageSummary& u = *f.usage;
  w << TextId::ReportPeriod << ShownDate(u.periodStart) << " - " << ShownDate(u.periodEnd);
  w.End();
  w << TextId::ReportReceivedSent << u.received << " / " << u.sent;
  w.End();
  w << TextId::ReportOnline << u.secondsOnline;
  w.End();
  if (!u.notes.empty()) {
    w.Value(u.notes);
    w.End();
  }
}

void WriteLogTail(Writer& w, const Facts& f) {
  w.Section(TextId::ReportSecLog);
  if (f.log.found == ReportFiles::Found::kMissing) {
    w << TextId::ReportNoLog;
    w.Value(f.logPath);
    w << " " << TextId::ReportLogHint;
    w.End();
    return;
  }
  if (f.log.found == ReportFiles::Found::kUnreadable) {
    w << TextId::ReportLogUnreadable;
    w.Value(f.logPath);
    w.End();
    return;
  }
  std::vector<std::string_view> lines = SplitLines(f.log.bytes);
  // A tail that starts inside a line shows no half line.
  if (!f.log.whole && !lines.empty()) lines.erase(lines.begin());
  if (lines.size() > kLogLinesShown) lines.erase(lines.begin(), lines.end() - kLogLinesShown);
  w.Value(f.logPath);
  w.End();
  w << TextId::ReportLogLines << lines.size();
  w.End();
  for (const std::string_view line : lines) {
    std::string text(line);
    if (LooksEncrypted(line)) {
      if (auto plain = DecryptIntact(line)) {
        text = std::move(*plain);
      } else {
        w << TextId::ReportDamaged << TextId::ReportNoDecrypt << ": ";
      }
    }
    w.Value(MaskLogLine(text));
    w.End();
  }
}

}  // namespace

std::span<const TextId> SectionTitles() { return kSections; }

std::string SectionLine(std::string_view title) {
  std::string line = "== ";
  line += title;
  line += " ==";
  return line;
}

std::string ReportFileName(const LocalDateTime& now) {
  std::string name = "Dialwave-report-";
  AppendDigits(name, static_cast<std::uint64_t>(std::clamp(now.year, 0, 9999)), 4);
  for (const int part : {now.month, now.day, -1, now.hour, now.minute}) {
    if (part < 0) {
      name += '-';
    } else {
      AppendDigits(name, static_cast<std::uint64_t>(std::clamp(part, 0, 99)), 2);
    }
  }
  return name + ".txt";
}

std::string MaskModemCommands(std::string_view init) {
  std::string out(init);
  std::string upper = out;
  for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  // +CGAUTH and ^AUTHDATA (3GPP and vendors' PDP login), $QCPDPP (Qualcomm's).
  for (const std::string_view key : {std::string_view("AUTH"), std::string_view("QCPDPP")}) {
    for (auto at = upper.find(key); at != std::string::npos; at = upper.find(key, at + 1)) {
      const auto equals = upper.find('=', at);
      const auto end = std::min(upper.find(';', at), upper.size());
      if (equals == std::string::npos || equals > end) continue;
      out.replace(equals + 1, end - equals - 1, kMask);
      upper.replace(equals + 1, end - equals - 1, kMask);
    }
  }
  return out;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::string MaskLogLine(std::string_view line) {
  std::string out(line);
  for (const std::string_view key : {std::string_view("User:"), std::string_view("Pswd:")}) {
    for (auto at = out.find(key); at != std::string::npos; at = out.find(key, at + key.size())) {
      std::size_t start = at + key.size();
      while (start < out.size() && out[start] == ' ') ++start;
      // A value runs to the next " ;" (the next field) or to the line's end.
      std::size_t end = out.find(" ;", start);
      if (end == std::string::npos) end = out.size();
      while (end > start && out[end - 1] == ' ') --end;
      out.replace(start, end - start, kMask);
    }
  }
  return out;
}

std::string BuildReport(const ReportSources& sources) {
  const Facts f = Gather(sources);
  Masker mask;
  mask.AddSecret(phonebook::kOperatorLogin);
  for (const auto& [offset, size] : {std::pair{offsetof(Params, szUserName), ras::kUnLen + 1},
                                     std::pair{offsetof(Params, szPassword), ras::kPwLen + 1},
                                     std::pair{offsetof(Params, szDomain), ras::kDnLen + 1}}) {
    if (!f.params.empty()) mask.AddSecret(ras::ReadField(f.params, offset, size));
  }
  Writer w(mask);
  w << TextId::ReportTitle;
  w.End();
  w << TextId::ReportMade << ShownTime(sources.clock->Now());
  w.End();
  WriteProgram(w, f);
  WriteWindows(w, f);
  WriteRights(w, f);
  WriteModems(w, f);
  WriteEntry(w, f);
  WriteApn(w, f);
  WriteSettings(w, f);
  WriteAttempts(w, f);
  WriteUsage(w, f);
  WriteLogTail(w, f);
  w << "\r\n" << SectionLine(T(TextId::ReportEnd));
  w.End();
  return w.Take();
}

bool WriteReport(const ReportSources& sources, const std::string& path) {
  return sources.files->WriteWhole(path, BuildReport(sources));
}

}  // namespace dw::report
