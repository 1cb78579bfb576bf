#include "phonebook/phonebook.h"

#include <algorithm>
#include <cstddef>
#include <exception>

#include "log/log.h"
#include "platform/error.h"
#include "ras/binding.h"
#include "ras/context.h"
#include "ras/error_text.h"
#include "ras/record_access.h"

namespace dw::phonebook {
namespace {

using ras::Dword;
using ras::Record;
using Entry = ras::v501::RasEntryA;  // every older layout is its prefix

constexpr std::size_t kOptions = offsetof(Entry, dwfOptions);
constexpr std::size_t kPhoneNumber = offsetof(Entry, szLocalPhoneNumber);
constexpr std::size_t kNetProtocols = offsetof(Entry, dwfNetProtocols);
constexpr std::size_t kFraming = offsetof(Entry, dwFramingProtocol);
constexpr std::size_t kDeviceType = offsetof(Entry, szDeviceType);
constexpr std::size_t kDeviceName = offsetof(Entry, szDeviceName);
constexpr std::size_t kDialMode = offsetof(Entry, dwDialMode);
constexpr std::size_t kType = offsetof(Entry, dwType);
constexpr std::size_t kEncryption = offsetof(Entry, dwEncryptionType);
constexpr std::size_t kPrerequisiteEntry = offsetof(Entry, szPrerequisiteEntry);

constexpr std::size_t kEntryNameField = offsetof(ras::v400::RasEntryNameA, szEntryName);
constexpr std::size_t kDialEntryName = offsetof(ras::v400::RasDialParamsA, szEntryName);
constexpr std::size_t kDialUserName = offsetof(ras::v400::RasDialParamsA, szUserName);

// RASEO_RemoteDefaultGateway | RASEO_ModemLights, and on the NT generations
// also RequirePAP, RequireSPAP, SharedPhoneNumbers, RequireCHAP,
// RequireMsCHAP and RequireMsCHAP2.
constexpr Dword kOptions9x = 0x110;
constexpr Dword kOptionsNt = 0x388C0110;
constexpr Dword kFramingPpp = 1;
constexpr Dword kNetProtocolIp = 4;
constexpr Dword kDialModeAll = 1;
constexpr Dword kTypePhone = 1;
constexpr Dword kEncryptionOptional = 3;
constexpr const char* kDeviceTypeModem = "modem";

// What the running generation changes in these operations.
struct Flavour {
  ras::Binding entries;  // RASENTRY calls
  ras::Binding calls;    // entry list and dial parameters
  bool win9x;
  bool xp;  // the entry record has XP's fields
  const char* sizeTag;  // log tag of a failed size query in CreateConnection
};

Flavour Current() {
  const ras::Generation g = ras::GenerationOf(ras::CurrentRasContext().winVer);
  const ras::Binding entries = ras::EntryBinding();
  return {entries, ras::CallBinding(), ras::IsWin9x(g), entries.module() == ras::Module::kRasXp,
          g == ras::Generation::kWinMe ? "CreateConn-GetEntrySize" : "GetEntrySize"};
}

// Asks the size of the system's default entry record; the call's result.
Dword QueryEntrySize(const Flavour& f, Dword& size) {
  size = 0;
  return f.entries.GetEntryProperties("", nullptr, &size, nullptr, nullptr);
}

// A record too small for its own dwSize is no record to hand to RAS.
bool HoldsRecord(Dword size) { return size >= sizeof(Dword); }

EntryRecord NewRecord(Dword size) {
  EntryRecord record(size, 0);
  ras::WriteDword(record, 0, size);
  return record;
}

std::string DeviceName(const EntryRecord& record) {
  return ras::ReadField(record, kDeviceName, ras::kMaxDeviceName + 1);
}

template <typename F>
auto Catching(const char* source, auto failed, F body) -> decltype(body()) {
  try {
    return body();
  } catch (const std::exception& e) {
    WriteLog(source, ras::kCaughtErrorCode, e.what());
  } catch (...) {
    WriteLog(source, ras::kCaughtErrorCode, "unknown error");
  }
  return failed;
}

}  // namespace

bool IsKnownPhoneNumber(std::string_view number) {
  return std::find(KnownPhoneNumbers.begin(), KnownPhoneNumbers.end(), number) !=
         KnownPhoneNumbers.end();
}

std::optional<EntryRecord> CheckConnName(const std::string& modem, std::string& entryName,
                                         EntrySave* saved) {
  EntrySave save = EntrySave::kFailed;
  auto found = Catching("CheckConnName", std::optional<EntryRecord>{}, [&]() -> std::optional<EntryRecord> {
    const Flavour f = Current();
    Dword size = 0;
    QueryEntrySize(f, size);  // only the size matters here
    if (!HoldsRecord(size)) throw Error("no size reported for the entry record");
    EntryRecord record = NewRecord(size);

    if (!entryName.empty()) {
      Dword recordSize = size;
      const Dword r =
          f.entries.GetEntryProperties(entryName.c_str(), record.data(), &recordSize, nullptr, nullptr);
      const bool gone = r == ras::kErrorCannotFindPhonebookEntry || r == ras::kErrorInvalidParameter;
      const bool otherModem = r == ras::kSuccess && DeviceName(record) != modem;
      if (!gone && !otherModem) {
        ras::LogRasError("CheckConnName-GetEntryProperties", r);
        save = RepairEntry(record, entryName, modem, false);
        return record;
      }
    }

    // The remembered entry is missing or belongs to another modem; that
    // entry is left as it is.
    std::string foundName;
    if (FindAnotherConn(modem, foundName, record)) {
      entryName = foundName;
      save = RepairEntry(record, entryName, modem, false);
    } else {
      std::string newName;
      save = CreateConnection(modem, record, newName);
      entryName = newName;
    }
    return record;
  });
  if (saved != nullptr) *saved = save;
  return found;
}

bool FindAnotherConn(const std::string& modem, std::string& entryName, EntryRecord& record) {
  return Catching("FindAnotherConn", false, [&] {
    const Flavour f = Current();
    const Dword stride = f.calls.Size(Record::kEntryName);
    std::vector<std::uint8_t> names(stride, 0);
    ras::WriteDword(names, 0, stride);
    Dword bytes = 0;
    Dword count = 0;
    Dword r = f.calls.EnumEntries(names.data(), &bytes, &count);
    if (r != ras::kErrorBufferTooSmall) {
      ras::LogRasError("FindAnother-EnumEntries", r);  // 0: the phone book is empty
      return false;
    }
    names = ras::SystemSizedArray(bytes, count, stride);
    if (f.calls.EnumEntries(names.data(), &bytes, &count) != ras::kSuccess) return false;

    const Dword dialSize = f.calls.Size(Record::kDialParams);
    // RAS writes the records at the size the first one carries, which is the
    // system's own (a later service pack's records are larger than ours).
    const std::size_t step = std::max<Dword>(ras::ReadDword(names, 0), 1);
    // Never past the array, whatever count the second call reports.
    const std::size_t entries = std::min<std::size_t>(count, names.size() / step);
    for (std::size_t i = 0; i < entries; ++i) {
      const std::string name =
          ras::ReadField(names, i * step + kEntryNameField, ras::kMaxEntryName + 1);

      Dword size = 0;
      r = QueryEntrySize(f, size);
      if (r != ras::kErrorBufferTooSmall) {
        ras::LogRasError("FindAnother-GetEntryProperties", r);
        continue;
      }
      if (!HoldsRecord(size)) continue;
      EntryRecord candidate = NewRecord(size);
      Dword candidateSize = size;
      r = f.entries.GetEntryProperties(name.c_str(), candidate.data(), &candidateSize, nullptr,
                                       nullptr);
      ras::LogRasError("FindAnother-GetProperties2", r);
      if (r != ras::kSuccess || DeviceName(candidate) != modem) continue;

      std::vector<std::uint8_t> params(dialSize, 0);
      ras::WriteDword(params, 0, dialSize);
      ras::WriteField(params, kDialEntryName, ras::kMaxEntryName + 1, name);
      std::int32_t passwordSaved = 0;
      r = f.calls.GetEntryDialParams(params.data(), &passwordSaved);
      ras::LogRasError("FindAnother-GetEntryDialParams", r);
      if (r != ras::kSuccess) continue;

      const std::string user = ras::ReadField(params, kDialUserName, ras::kUnLen + 1);
      if (user == kOperatorLogin || user.empty()) {
        entryName = name;
        record = std::move(candidate);
        return true;
      }
    }
    return false;
  });
}

bool RepairProp(EntryRecord& record, const std::string& entryName, const std::string& modem,
                bool forceNumber) {
  return RepairEntry(record, entryName, modem, forceNumber) == EntrySave::kSaved;
}

EntrySave RepairEntry(EntryRecord& record, const std::string& entryName, const std::string& modem,
                      bool forceNumber) {
  return Catching("RepairProp", EntrySave::kFailed, [&] {
    const Flavour f = Current();
    const Dword size = ras::ReadDword(record, 0);
    // RAS reads dwSize bytes: a record shorter than that would be overrun.
    if (!HoldsRecord(size) || size > record.size()) {
      throw Error("entry record shorter than its dwSize");
    }
    ras::WriteDword(record, kOptions, f.win9x ? kOptions9x : kOptionsNt);
    if (forceNumber ||
        !IsKnownPhoneNumber(ras::ReadField(record, kPhoneNumber, ras::kMaxPhoneNumber + 1))) {
      ras::WriteField(record, kPhoneNumber, ras::kMaxPhoneNumber + 1, KnownPhoneNumbers[0]);
    }
    ras::WriteDword(record, kFraming, kFramingPpp);
    ras::WriteDword(record, kNetProtocols, kNetProtocolIp);
    ras::WriteField(record, kDeviceType, ras::kMaxDeviceType + 1, kDeviceTypeModem);
    ras::WriteField(record, kDeviceName, ras::kMaxDeviceName + 1, modem);
    if (!f.win9x) {
      ras::WriteDword(record, kDialMode, kDialModeAll);
      ras::WriteDword(record, kType, kTypePhone);
      ras::WriteDword(record, kEncryption, kEncryptionOptional);
    }
    if (f.xp) {
      // The prerequisite entry (the XP record's only 257-character field)
      // makes RAS dial another entry first, a VPN's carrier for instance.
      // The operator's entry dials the modem directly, so an adopted entry
      // loses it, as it loses every option dwfOptions no longer carries.
      ras::WriteField(record, kPrerequisiteEntry, ras::kMaxEntryName + 1, "");
    }
    const Dword r = f.entries.SetEntryProperties(entryName.c_str(), record.data(), size, nullptr, 0);
    ras::LogRasError("Repair-SetEntryProperties", r);
    return r == ras::kSuccess            ? EntrySave::kSaved
           : r == ras::kErrorAccessDenied ? EntrySave::kRefused
                                          : EntrySave::kFailed;
  });
}

EntrySave CreateConnection(const std::string& modem, EntryRecord& record, std::string& entryName) {
  entryName.clear();
  return Catching("CreateConnection", EntrySave::kFailed, [&] {
    const Flavour f = Current();
    Dword size = 0;
    const Dword r = QueryEntrySize(f, size);
    if (r != ras::kErrorBufferTooSmall) {
      size = f.entries.Size(Record::kEntry);
      ras::LogRasError(f.sizeTag, r);
    } else if (!HoldsRecord(size)) {
      size = f.entries.Size(Record::kEntry);
    }
    record = NewRecord(size);
    const std::string name = ValidateEntryName();
    const EntrySave save = RepairEntry(record, name, modem, true);
    if (save == EntrySave::kSaved) entryName = name;
    return save;
  });
}

std::string ValidateEntryName() {
  std::string name(kFirstEntryName);
  for (int counter = 1; counter <= kMaxNameValidations; ++counter) {
    const Dword r = ras::kRas2k.ValidateEntryName(name.c_str());
    if (r == ras::kSuccess) break;
    if (r == ras::kErrorAlreadyExists) {
      name = std::string(kEntryNamePrefix) + std::to_string(counter);
    } else {
      ras::LogRasError("ValidateEntryName", r);
    }
  }
  return name;
}

}  // namespace dw::phonebook
