#include "simulator.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstring>

#include "errors.h"
#include "layouts.h"
#include "modems.h"
#include "text_util.h"
#include "platform/threads.h"

namespace dw::sim {

namespace {

using ras::Record;
namespace v501 = ras::v501;

// The simulator reads and writes through the program's structs for
// convenience, but only where they put each field where its own table does.
#define DW_SIM_AT(type, rec, field) \
  static_assert(offsetof(type, field) == layout::OffsetOf(Record::rec, #field), #field)
DW_SIM_AT(ras::v500::RasEntryNameA, kEntryName, szEntryName);
DW_SIM_AT(ras::v500::RasEntryNameA, kEntryName, dwFlags);
DW_SIM_AT(ras::v500::RasEntryNameA, kEntryName, szPhonebookPath);
DW_SIM_AT(v501::RasEntryA, kEntry, dwfOptions);
DW_SIM_AT(v501::RasEntryA, kEntry, dwCountryCode);
DW_SIM_AT(v501::RasEntryA, kEntry, ipaddr);
DW_SIM_AT(v501::RasEntryA, kEntry, ipaddrDns);
DW_SIM_AT(v501::RasEntryA, kEntry, szLocalPhoneNumber);
DW_SIM_AT(v501::RasEntryA, kEntry, dwfNetProtocols);
DW_SIM_AT(v501::RasEntryA, kEntry, dwFramingProtocol);
DW_SIM_AT(v501::RasEntryA, kEntry, szDeviceType);
DW_SIM_AT(v501::RasEntryA, kEntry, szDeviceName);
DW_SIM_AT(v501::RasEntryA, kEntry, dwDialMode);
DW_SIM_AT(v501::RasEntryA, kEntry, dwType);
DW_SIM_AT(v501::RasEntryA, kEntry, dwEncryptionType);
DW_SIM_AT(v501::RasEntryA, kEntry, guidId);
DW_SIM_AT(v501::RasEntryA, kEntry, szPrerequisiteEntry);
DW_SIM_AT(v501::RasDialParamsA, kDialParams, szEntryName);
DW_SIM_AT(v501::RasDialParamsA, kDialParams, szPhoneNumber);
DW_SIM_AT(v501::RasDialParamsA, kDialParams, szUserName);
DW_SIM_AT(v501::RasDialParamsA, kDialParams, szPassword);
DW_SIM_AT(v501::RasDialParamsA, kDialParams, szDomain);
DW_SIM_AT(v501::RasDialParamsA, kDialParams, dwSubEntry);
DW_SIM_AT(v501::RasDialParamsA, kDialParams, dwCallbackId);
DW_SIM_AT(ras::RasDevInfoA, kDevInfo, szDeviceType);
DW_SIM_AT(ras::RasDevInfoA, kDevInfo, szDeviceName);
DW_SIM_AT(v501::RasConnA, kConn, hrasconn);
DW_SIM_AT(v501::RasConnA, kConn, szEntryName);
DW_SIM_AT(v501::RasConnA, kConn, szDeviceType);
DW_SIM_AT(v501::RasConnA, kConn, szDeviceName);
DW_SIM_AT(v501::RasConnA, kConn, szPhonebook);
DW_SIM_AT(v501::RasConnA, kConn, dwSubEntry);
DW_SIM_AT(v501::RasConnA, kConn, guidEntry);
DW_SIM_AT(v501::RasConnStatusA, kConnStatus, rasconnstate);
DW_SIM_AT(v501::RasConnStatusA, kConnStatus, dwError);
DW_SIM_AT(v501::RasConnStatusA, kConnStatus, szDeviceType);
DW_SIM_AT(v501::RasConnStatusA, kConnStatus, szDeviceName);
DW_SIM_AT(v501::RasConnStatusA, kConnStatus, szPhoneNumber);
DW_SIM_AT(ras::RasStats, kStats, dwBytesXmited);
DW_SIM_AT(ras::RasStats, kStats, dwBytesRcved);
DW_SIM_AT(ras::RasStats, kStats, dwFramesXmited);
DW_SIM_AT(ras::RasStats, kStats, dwFramesRcved);
DW_SIM_AT(ras::RasStats, kStats, dwBps);
DW_SIM_AT(ras::RasStats, kStats, dwConnectDuration);
#undef DW_SIM_AT

constexpr const char* kNtPhonebook =
    "C:\\Documents and Settings\\All Users\\Application Data\\Microsoft\\Network\\Connections\\"
    "Pbk\\rasphone.pbk";
constexpr Dword kRenAllUsers = 1;
constexpr Dword kRascfAllUsers = 1;
constexpr Dword kLinkBps = 115200;
constexpr Dword kErrorFromDevice = 651;
constexpr Dword kErrorAuthenticationFailure = 691;

// A caller's record read into the newest layout: the caller's bytes, zeros
// beyond them.
template <typename T>
T LoadRecord(const void* from, Dword size) {
  T record{};
  std::memcpy(&record, from, std::min<std::size_t>(size, sizeof(T)));
  return record;
}

// The first `size` bytes of a newest-layout record into the caller's buffer;
// the fields of a larger record (a later system's) that the simulator does
// not keep are zero.
template <typename T>
void StoreRecord(void* to, Dword size, T record) {
  record.dwSize = size;
  std::memcpy(to, &record, std::min<std::size_t>(size, sizeof(T)));
  if (size > sizeof(T)) std::memset(static_cast<std::uint8_t*>(to) + sizeof(T), 0, size - sizeof(T));
}

Dword SizeField(const void* record) {
  Dword size = 0;
  std::memcpy(&size, record, sizeof size);
  return size;
}

// The names the phone book refuses, as the system's validation does.
bool ValidEntryName(const std::string& name) {
  if (name.empty() || name.size() > ras::kMaxEntryName || name[0] == '.') return false;
  bool visible = false;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr) return false;
    visible = visible || c != ' ';
  }
  return visible;
}

ras::Guid GuidOf(const std::string& name) {
  // Stable per name: FNV-1a spread over the 16 bytes.
  std::uint64_t h = 1469598103934665603ull;
  for (char c : name) {
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    h = (h ^ static_cast<unsigned char>(lower)) * 1099511628211ull;
  }
  ras::Guid g{};
  g.data1 = static_cast<std::uint32_t>(h);
  g.data2 = static_cast<std::uint16_t>(h >> 32);
  g.data3 = static_cast<std::uint16_t>(0x4000 | ((h >> 48) & 0x0FFF));
  for (int i = 0; i < 8; ++i) g.data4[i] = static_cast<std::uint8_t>(h >> (i * 8)) ^ 0x5A;
  return g;
}

v501::RasEntryA DefaultEntry() {
  v501::RasEntryA e{};
  e.dwfOptions = 0x10 | 0x100;  // remote default gateway, modem lights
  e.dwfNetProtocols = 4;        // IP
  e.dwFramingProtocol = 1;      // PPP
  SetField(e.szDeviceType, "modem");
  e.dwDialMode = 1;
  e.dwType = 1;
  e.dwRedialCount = 3;
  e.dwRedialPause = 60;
  return e;
}

v501::RasEntryA EntryRecord(const Entry& entry) {
  return LoadRecord<v501::RasEntryA>(entry.record.data(), static_cast<Dword>(entry.record.size()));
}

bool Live(const Connection& c, std::int64_t now) {
  const ConnectionView v = ViewAt(c, now);
  return c.hungUpMs == 0 && v.error == 0;
}

// The states of a PPP dial up to "connected", in RAS's order.
const std::vector<Dword> kConnectPlan = {
    ras::kOpenPort,        ras::kPortOpened,          ras::kConnectDevice,
    ras::kDeviceConnected, ras::kAllDevicesConnected, ras::kAuthenticate,
    ras::kAuthenticated,   ras::kAuthProject,         ras::kProjected,
    ras::kConnected};

std::vector<Dword> PlanUpTo(Dword last) {
  std::vector<Dword> plan;
  for (Dword s : kConnectPlan) {
    plan.push_back(s);
    if (s == last) break;
  }
  return plan;
}

// What RAS checks of a saved entry beyond its framing: the device exists and
// has the type named; dwType (from 2000 on) fits the device type; an option
// that needs a value has one.
bool EntryFitsDevices(const Scenario& scenario, const v501::RasEntryA& e, Dword size, bool win9x) {
  const std::string type = FieldText(e.szDeviceType);
  const std::string name = FieldText(e.szDeviceName);
  const bool known =
      std::any_of(scenario.devices.begin(), scenario.devices.end(),
                  [&](const Device& d) { return d.name == name && EqualsNoCase(d.type, type); });
  if (!known) return false;
  if (!win9x && size > layout::OffsetOf(Record::kEntry, "dwType")) {
    // RASET_Phone, Vpn, Direct, Internet (2000 on); Broadband (XP).
    const Dword expected = EqualsNoCase(type, "vpn")                                        ? 2
                           : EqualsNoCase(type, "serial") || EqualsNoCase(type, "parallel") ? 3
                           : EqualsNoCase(type, "pppoe")                                    ? 5
                                                                                            : 1;
    if (e.dwType != expected) return false;
  }
  constexpr Dword kUseCountryAndAreaCodes = 0x1;
  constexpr Dword kSpecificIpAddr = 0x2;
  constexpr Dword kSpecificNameServers = 0x4;
  const auto dwordAt = [&](const char* field) {
    Dword value = 0;
    std::memcpy(&value,
                reinterpret_cast<const std::uint8_t*>(&e) + layout::OffsetOf(Record::kEntry, field),
                sizeof value);
    return value;
  };
  if ((e.dwfOptions & kUseCountryAndAreaCodes) && dwordAt("dwCountryCode") == 0) return false;
  if ((e.dwfOptions & kSpecificIpAddr) && dwordAt("ipaddr") == 0) return false;
  if ((e.dwfOptions & kSpecificNameServers) && dwordAt("ipaddrDns") == 0) return false;
  return true;
}

// A modem answers ERROR to an initialisation it cannot parse: printable
// ASCII, "AT" first, quotation marks in pairs. Empty sends nothing.
bool ModemTakes(const std::string& init) {
  if (init.empty()) return true;
  if (init.size() < 2 || !EqualsNoCase(init.substr(0, 2), "AT")) return false;
  int quotes = 0;
  for (char c : init) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u > 0x7E) return false;
    quotes += c == '"';
  }
  return quotes % 2 == 0;
}

}  // namespace

struct Simulator::Notifications {
  Handle handle = 0;
  std::vector<Dword> plan;
  Dword error = 0;
  std::int64_t startedMs = 0;
  int stepMs = 0;
  Dword notifierType = 0;
  void* notifier = nullptr;
  ras::UlongPtr callbackId = 0;
  Dword subEntry = 0;
};

Simulator::Simulator(Host host) : host_(std::move(host)) {}

Simulator::~Simulator() {
  stopping_ = true;
  std::lock_guard lock(workersMutex_);
  for (auto& w : workers_) {
    if (w->thread.joinable()) w->thread.join();
  }
}

Dword Simulator::Fault() {
  for (;;) {
    const Scenario scenario = host_.store->ReadScenario();
    if (scenario.all711) return ras::kErrorRasmanCannotInitialize;
    if (!scenario.hung || stopping_) return 0;
    // A hung service answers nobody until the fault is cleared.
    dw::SleepFor(std::chrono::milliseconds(20));
  }
}

bool Simulator::SizeOk(const Scenario& scenario, Record record, Dword size) const {
  if (size == 0) return false;
  // A later service pack takes its own larger records as well as the older.
  if (size == scenario.reportedSizes[static_cast<std::size_t>(record)]) return true;
  // Its own records (from Vista on larger than the program's) it takes too.
  if (size == layout::OwnSize(host_.generation, record)) return true;
  if (scenario.strict) return size == layout::RequiredSize(host_.generation, record);
  for (unsigned block : layout::kBlocks) {
    if (block <= layout::NewestBlock(host_.generation) &&
        layout::SizeInBlock(record, block) == size) {
      return true;
    }
  }
  return false;
}

void Simulator::Sync(State& state) {
  const std::int64_t now = host_.clock->NowMs();
  Purge(state, now);
  if (!ras::IsWin9x(host_.generation) || !host_.publishCounters) return;
  std::uint64_t received = state.closedReceived;
  std::uint64_t sent = state.closedSent;
  for (const Connection& c : state.connections) {
    const ConnectionView v = ViewAt(c, now);
    received += v.received;
    sent += v.sent;
  }
  host_.publishCounters(static_cast<Dword>(received), static_cast<Dword>(sent));
}

// Only the default phone book exists. The 9x functions ignore the path.
bool Simulator::ForeignPhonebook(const char* phonebook) const {
  return phonebook != nullptr && !ras::IsWin9x(host_.generation);
}

Dword Simulator::SizeError(const Scenario& scenario, Record record, Dword size) const {
  return SizeOk(scenario, record, size) ? ras::kSuccess : ras::kErrorInvalidSize;
}

Dword Simulator::GetErrorString(unsigned code, char* text, Dword size) {
  if (text == nullptr) return ras::kErrorInvalidParameter;
  const char* description = ErrorText(code);
  if (description == nullptr) return ras::kErrorInvalidParameter;
  const std::size_t length = std::strlen(description);
  if (length + 1 > size) return ras::kErrorInsufficientBuffer;
  std::memcpy(text, description, length + 1);
  return ras::kSuccess;
}

template <typename Write>
Dword Simulator::Enumerate(const Scenario& scenario, Record record, void* buffer, Dword* bytes,
                           Dword* count, Dword n, Write write) const {
  const Dword own = scenario.ReportedSize(record, layout::OwnSize(host_.generation, record));
  if (buffer == nullptr) {
    *bytes = n * own;
    *count = n;
    return n == 0 ? ras::kSuccess : ras::kErrorBufferTooSmall;
  }
  const Dword size = SizeField(buffer);
  if (!SizeOk(scenario, record, size)) return ras::kErrorInvalidSize;
  const Dword needed = n * size;
  const bool roomy = *bytes >= needed;
  *count = n;
  if (!roomy) {
    // The room its own records need: a service pack with larger records
    // asks for more than the caller's size would.
    *bytes = n * std::max(size, own);
    return ras::kErrorBufferTooSmall;
  }
  *bytes = needed;
  auto* out = static_cast<std::uint8_t*>(buffer);
  for (Dword i = 0; i < n; ++i) write(out + i * size, size, i);
  return ras::kSuccess;
}

Dword Simulator::EnumDevices(void* devices, Dword* bytes, Dword* count) {
  if (const Dword fault = Fault()) return fault;
  if (bytes == nullptr || count == nullptr) return ras::kErrorInvalidParameter;
  const Scenario scenario = host_.store->ReadScenario();
  return Enumerate(scenario, Record::kDevInfo, devices, bytes, count,
                   static_cast<Dword>(scenario.devices.size()),
                   [&](std::uint8_t* out, Dword size, Dword i) {
                     ras::RasDevInfoA d{};
                     SetField(d.szDeviceType, scenario.devices[i].type);
                     SetField(d.szDeviceName, scenario.devices[i].name);
                     StoreRecord(out, size, d);
                   });
}

Dword Simulator::EnumConnections(void* conns, Dword* bytes, Dword* count) {
  if (const Dword fault = Fault()) return fault;
  if (bytes == nullptr || count == nullptr) return ras::kErrorInvalidParameter;
  Dword result = ras::kSuccess;
  host_.store->Update([&](const Scenario& scenario, State& state) {
    Sync(state);
    const std::int64_t now = host_.clock->NowMs();
    std::vector<const Connection*> listed;
    for (const Connection& c : state.connections) {
      if (ViewAt(c, now).error == 0) listed.push_back(&c);
    }
    result = Enumerate(scenario, Record::kConn, conns, bytes, count,
                       static_cast<Dword>(listed.size()),
                       [&](std::uint8_t* out, Dword size, Dword i) {
                         const Connection& c = *listed[i];
                         v501::RasConnA r{};
                         r.hrasconn = c.handle;
                         SetField(r.szEntryName, c.entry);
                         SetField(r.szDeviceType, c.deviceType);
                         SetField(r.szDeviceName, c.deviceName);
                         SetField(r.szPhonebook, ras::IsWin9x(host_.generation) ? "" : kNtPhonebook);
                         r.dwSubEntry = 1;
                         r.guidEntry = GuidOf(c.entry);
                         r.dwFlags = kRascfAllUsers;
                         r.luid.lowPart = static_cast<Dword>(c.handle);
                         StoreRecord(out, size, r);
                       });
  });
  return result;
}

Dword Simulator::HangUp(Handle conn) {
  if (const Dword fault = Fault()) return fault;
  Dword result = ras::kSuccess;
  host_.store->Update([&](const Scenario& scenario, State& state) {
    Sync(state);
    Connection* c = state.FindConnection(conn);
    if (c == nullptr) {
      result = ras::kErrorInvalidHandle;
      return;
    }
    // Hanging up again does not move the end of a hang-up under way; it
    // does end a connection left by the hang-up-never fault once that is
    // cleared.
    if (c->hungUpMs != 0 && (c->goneMs != 0 || scenario.hangupNever)) return;
    const std::int64_t now = host_.clock->NowMs();
    if (c->hungUpMs == 0) c->hungUpMs = now;
    if (scenario.hangupNever) return;
    // The port closes a little later, as on Windows: until then the handle
    // stays valid and the status query answers "disconnected".
    const std::int64_t gone = now + scenario.hangupDelayMs;
    if (c->goneMs == 0 || c->goneMs > gone) c->goneMs = gone;
    c->closing = true;
  });
  return result;
}

Dword Simulator::EnumEntries(const char* reserved, const char* phonebook, void* names, Dword* bytes,
                             Dword* count) {
  if (const Dword fault = Fault()) return fault;
  if (reserved != nullptr || bytes == nullptr || count == nullptr) {
    return ras::kErrorInvalidParameter;
  }
  if (ForeignPhonebook(phonebook)) return ras::kErrorCannotOpenPhonebook;
  Dword result = ras::kSuccess;
  host_.store->Update([&](const Scenario& scenario, State& state) {
    Sync(state);
    result = Enumerate(scenario, Record::kEntryName, names, bytes, count,
                       static_cast<Dword>(state.entries.size()),
                       [&](std::uint8_t* out, Dword size, Dword i) {
                         ras::v500::RasEntryNameA r{};
                         SetField(r.szEntryName, state.entries[i].name);
                         r.dwFlags = kRenAllUsers;
                         SetField(r.szPhonebookPath, kNtPhonebook);
                         StoreRecord(out, size, r);
                       });
  });
  return result;
}

Dword Simulator::GetEntryProperties(const char* phonebook, const char* entry, void* record,
                                    Dword* recordSize, std::uint8_t* /*deviceInfo*/,
                                    Dword* deviceInfoSize) {
  if (const Dword fault = Fault()) return fault;
  if (recordSize == nullptr) return ras::kErrorInvalidParameter;
  if (ForeignPhonebook(phonebook)) return ras::kErrorCannotOpenPhonebook;
  Dword result = ras::kSuccess;
  host_.store->Update([&](const Scenario& scenario, State& state) {
    Sync(state);
    const std::string name = entry ? entry : "";
    // The empty name asks for the default entry.
    v501::RasEntryA found = DefaultEntry();
    if (!name.empty()) {
      const Entry* e = state.FindEntry(name);
      if (e == nullptr) {
        result = ras::kErrorCannotFindPhonebookEntry;
        return;
      }
      found = EntryRecord(*e);
    }
    // No device-specific information is kept.
    if (deviceInfoSize != nullptr) *deviceInfoSize = 0;
    if (record == nullptr) {
      *recordSize = scenario.ReportedSize(Record::kEntry,
                                          layout::OwnSize(host_.generation, Record::kEntry));
      result = ras::kErrorBufferTooSmall;
      return;
    }
    const Dword size = SizeField(record);
    if ((result = SizeError(scenario, Record::kEntry, size)) != ras::kSuccess) return;
    if (*recordSize < size) {
      *recordSize = size;
      result = ras::kErrorBufferTooSmall;
      return;
    }
    StoreRecord(record, size, found);
    *recordSize = size;
  });
  return result;
}

Dword Simulator::SetEntryProperties(const char* phonebook, const char* entry, const void* record,
                                    Dword recordSize, const std::uint8_t* /*deviceInfo*/,
                                    Dword /*deviceInfoSize*/) {
  if (const Dword fault = Fault()) return fault;
  if (ForeignPhonebook(phonebook)) return ras::kErrorCannotOpenPhonebook;
  if (record == nullptr) return ras::kErrorBufferInvalid;
  if (entry == nullptr) return ras::kErrorInvalidParameter;
  Dword result = ras::kSuccess;
  host_.store->Update([&](const Scenario& scenario, State& state) {
    Sync(state);
    const Dword size = SizeField(record);
    if ((result = SizeError(scenario, Record::kEntry, size)) != ras::kSuccess) return;
    if (recordSize < size) {
      result = ras::kErrorBufferTooSmall;
      return;
    }
    const std::string name = entry;
    if (!ValidEntryName(name)) {
      result = ras::kErrorInvalidName;
      return;
    }
    const auto incoming = LoadRecord<v501::RasEntryA>(record, size);
    // PPP, SLIP or the old RAS framing; nothing else can be dialled.
    if (incoming.dwFramingProtocol != 1 && incoming.dwFramingProtocol != 2 &&
        incoming.dwFramingProtocol != 4) {
      result = ras::kErrorInvalidParameter;
      return;
    }
    // The device must be one RAS has, of the type named, and the type and
    // options must fit it: else the entry lacks what a dial needs.
    if (!EntryFitsDevices(scenario, incoming, size, layout::Is9x(host_.generation))) {
      result = ras::kErrorInvalidParameter;
      return;
    }
    if (scenario.entryWriteDenied) {
      result = ras::kErrorAccessDenied;
      return;
    }
    Entry* e = state.FindEntry(name);
    if (e == nullptr) {
      state.entries.push_back(
          Entry{name, std::vector<std::uint8_t>(sizeof(v501::RasEntryA), 0), "", ""});
      e = &state.entries.back();
      const ras::Guid guid = GuidOf(name);
      std::memcpy(e->record.data() + offsetof(v501::RasEntryA, guidId), &guid, sizeof guid);
    }
    // A record of an older layout replaces only the fields it has.
    std::memcpy(e->record.data(), record, std::min<std::size_t>(size, e->record.size()));
  });
  return result;
}

Dword Simulator::ValidateEntryName(const char* phonebook, const char* entry) {
  if (const Dword fault = Fault()) return fault;
  if (entry == nullptr) return ras::kErrorInvalidParameter;
  if (ForeignPhonebook(phonebook)) return ras::kErrorCannotOpenPhonebook;
  if (!ValidEntryName(entry)) return ras::kErrorInvalidName;
  Dword result = ras::kSuccess;
  host_.store->Update([&](const Scenario&, State& state) {
    Sync(state);
    if (state.FindEntry(entry) != nullptr) result = ras::kErrorAlreadyExists;
  });
  return result;
}

Dword Simulator::GetEntryDialParams(const char* phonebook, void* params,
                                    std::int32_t* passwordSaved) {
  if (const Dword fault = Fault()) return fault;
  if (params == nullptr) return ras::kErrorBufferInvalid;
  if (passwordSaved == nullptr) return ras::kErrorInvalidParameter;
  if (ForeignPhonebook(phonebook)) return ras::kErrorCannotOpenPhonebook;
  Dword result = ras::kSuccess;
  host_.store->Update([&](const Scenario& scenario, State& state) {
    Sync(state);
    const Dword size = SizeField(params);
    if ((result = SizeError(scenario, Record::kDialParams, size)) != ras::kSuccess) return;
    auto p = LoadRecord<v501::RasDialParamsA>(params, size);
    const Entry* e = state.FindEntry(FieldText(p.szEntryName));
    if (e == nullptr) {
      result = ras::kErrorCannotFindPhonebookEntry;
      return;
    }
    SetField(p.szPhoneNumber, "");
    SetField(p.szCallbackNumber, "");
    SetField(p.szUserName, e->user);
    SetField(p.szPassword, e->password);
    SetField(p.szDomain, "");
    p.dwSubEntry = 1;
    StoreRecord(params, size, p);
    *passwordSaved = e->password.empty() ? 0 : 1;
  });
  return result;
}

template <typename Write>
Dword Simulator::DescribeConnection(Handle conn, void* record, Record kind, Write write) {
  if (const Dword fault = Fault()) return fault;
  if (record == nullptr) return ras::kErrorInvalidParameter;
  Dword result = ras::kSuccess;
  host_.store->Update([&](const Scenario& scenario, State& state) {
    Sync(state);
    const Dword size = SizeField(record);
    if ((result = SizeError(scenario, kind, size)) != ras::kSuccess) return;
    const Connection* c = state.FindConnection(conn);
    if (c == nullptr) {
      result = ras::kErrorInvalidHandle;
      return;
    }
    write(size, *c, ViewAt(*c, host_.clock->NowMs()));
  });
  return result;
}

Dword Simulator::GetConnectStatus(Handle conn, void* status) {
  return DescribeConnection(conn, status, Record::kConnStatus,
                            [&](Dword size, const Connection& c, const ConnectionView& v) {
                              ras::v401::RasConnStatusA r{};
                              r.rasconnstate = v.state;
                              r.dwError = v.error;
                              SetField(r.szDeviceType, c.deviceType);
                              SetField(r.szDeviceName, c.deviceName);
                              SetField(r.szPhoneNumber, c.phone);
                              StoreRecord(status, size, r);
                            });
}

Dword Simulator::GetConnectionStatistics(Handle conn, void* stats) {
  if (layout::Is9x(host_.generation)) {
    host_.store->Update([](const Scenario&, State& state) { ++state.missingCalls; });
    return ras::kErrorCallNotImplemented;
  }
  return DescribeConnection(conn, stats, Record::kStats,
                            [&](Dword size, const Connection&, const ConnectionView& v) {
                              ras::RasStats r{};
                              r.dwBytesXmited = v.sent;
                              r.dwBytesRcved = v.received;
                              r.dwFramesXmited = v.sent / 1500;
                              r.dwFramesRcved = v.received / 1500;
                              r.dwBps = v.connected ? kLinkBps : 0;
                              r.dwConnectDuration = v.connectedForMs;
                              StoreRecord(stats, size, r);
                            });
}

Dword Simulator::Dial(const void* /*extensions*/, const char* phonebook, const void* params,
                      Dword notifierType, void* notifier, Handle* conn) {
  if (const Dword fault = Fault()) return fault;
  if (params == nullptr || conn == nullptr) return ras::kErrorInvalidParameter;
  if (ForeignPhonebook(phonebook)) return ras::kErrorCannotOpenPhonebook;
  // A handle on entry asks to resume a paused dial; nothing here pauses.
  if (*conn != 0) return ras::kErrorInvalidHandle;
  if (notifier != nullptr && notifierType > 2) return ras::kErrorInvalidParameter;
  Dword result = ras::kSuccess;
  auto plan = std::make_unique<Notifications>();
  host_.store->Update([&](const Scenario& scenario, State& state) {
    Sync(state);
    const Dword size = SizeField(params);
    if ((result = SizeError(scenario, Record::kDialParams, size)) != ras::kSuccess) return;
    const auto p = LoadRecord<v501::RasDialParamsA>(params, size);
    const std::int64_t now = host_.clock->NowMs();
    plan->callbackId = p.dwCallbackId;
    plan->subEntry = p.dwSubEntry;

    Connection c;
    c.entry = FieldText(p.szEntryName);
    std::string entryPhone;
    if (c.entry.empty()) {
      // A dial without an entry goes through the first modem.
      for (const Device& d : scenario.devices) {
        if (EqualsNoCase(d.type, "modem")) {
          c.deviceType = d.type;
          c.deviceName = d.name;
          break;
        }
      }
    } else {
      const Entry* e = state.FindEntry(c.entry);
      if (e == nullptr) {
        result = ras::kErrorCannotFindPhonebookEntry;
        return;
      }
      const v501::RasEntryA record = EntryRecord(*e);
      c.entry = e->name;
      c.deviceType = FieldText(record.szDeviceType);
      c.deviceName = FieldText(record.szDeviceName);
      entryPhone = FieldText(record.szLocalPhoneNumber);
    }
    const std::string dialled = FieldText(p.szPhoneNumber);
    c.phone = dialled.empty() ? entryPhone : dialled;

    // The entry is up already: RAS hands out its handle; or being dialled.
    for (const Connection& other : state.connections) {
      if (c.entry.empty() || !EqualsNoCase(other.entry, c.entry) || !Live(other, now)) continue;
      const ConnectionView v = ViewAt(other, now);
      if (v.connected) {
        *conn = other.handle;
        plan->handle = other.handle;
        plan->plan = {ras::kConnected};
        plan->startedMs = now;
        return;
      }
      if (v.dialing) {
        result = ras::kErrorDialAlreadyInProgress;
        return;
      }
    }

    const bool known = std::any_of(scenario.devices.begin(), scenario.devices.end(),
                                   [&](const Device& d) { return d.name == c.deviceName; });
    const bool busy = std::any_of(
        state.connections.begin(), state.connections.end(),
        [&](const Connection& o) { return o.deviceName == c.deviceName && Live(o, now); });
    const bool modem = EqualsNoCase(c.deviceType, "modem");
    bool initTaken = true;
    if (modem && host_.registry != nullptr) {
      // The modem sends its extra initialisation at the start of every dial.
      const std::string init =
          ReadUserInit(*host_.registry, ras::IsWin9x(host_.generation), c.deviceName);
      initTaken = ModemTakes(init);
      c.apn = ApnOf(init).value_or("");
    }
    const bool loginOk = !scenario.login || (FieldText(p.szUserName) == scenario.login->first &&
                                             FieldText(p.szPassword) == scenario.login->second);
    const Outcome byNumber = scenario.ForNumber(c.phone);
    const Outcome byApn = modem ? scenario.ForApn(c.apn) : Outcome::Connect();
    if (!known || busy) {
      c.plan = PlanUpTo(ras::kOpenPort);
      c.error = ras::kErrorPortNotAvailable;
    } else if (!initTaken) {
      // The modem answers ERROR before it dials.
      c.plan = PlanUpTo(ras::kConnectDevice);
      c.error = kErrorFromDevice;
    } else if (byNumber.kind != Outcome::Kind::kConnect) {
      c.plan = PlanUpTo(ras::kConnectDevice);
      c.error = byNumber.error;
    } else if (byApn.kind != Outcome::Kind::kConnect) {
      // The network ends the PPP negotiation for an APN it does not serve.
      c.plan = PlanUpTo(ras::kAuthenticate);
      c.error = byApn.error;
    } else if (!loginOk) {
      c.plan = PlanUpTo(ras::kAuthenticate);
      c.error = kErrorAuthenticationFailure;
    } else {
      c.plan = kConnectPlan;
    }
    c.handle = state.nextHandle++;
    c.startedMs = now;
    c.stepMs = scenario.notifyDelayMs;
    c.rateReceived = scenario.rateReceived;
    c.rateSent = scenario.rateSent;
    if (c.plan.back() == ras::kConnected && scenario.dropAfterSeconds > 0) {
      c.goneMs = PlanEndMs(c) + static_cast<std::int64_t>(scenario.dropAfterSeconds) * 1000;
    }
    *conn = c.handle;
    plan->handle = c.handle;
    plan->plan = c.plan;
    plan->error = c.error;
    plan->startedMs = c.startedMs;
    plan->stepMs = c.stepMs;
    state.connections.push_back(std::move(c));
  });
  if (result != ras::kSuccess) return result;
  if (notifier == nullptr) return DialSynchronously(plan->handle);
  plan->notifierType = notifierType;
  plan->notifier = notifier;
  StartNotifications(std::move(plan));
  return ras::kSuccess;
}

Dword Simulator::DialSynchronously(Handle conn) {
  for (;;) {
    std::optional<ConnectionView> view;
    std::int64_t until = 0;
    host_.store->Update([&](const Scenario&, State& state) {
      Sync(state);
      if (const Connection* c = state.FindConnection(conn)) {
        const std::int64_t now = host_.clock->NowMs();
        view = ViewAt(*c, now);
        until = std::max(PlanEndMs(*c), now + 50);
      }
    });
    if (!view) return ras::kErrorInvalidHandle;
    if (view->error != 0) return view->error;
    if (view->connected) return ras::kSuccess;
    if (stopping_) return ras::kErrorUnknown;
    host_.clock->WaitUntil(until, stopping_);
  }
}

void Simulator::StartNotifications(std::unique_ptr<Notifications> plan) {
  std::lock_guard lock(workersMutex_);
  // Finished threads are joined here, so their number stays small.
  for (auto it = workers_.begin(); it != workers_.end();) {
    if ((*it)->done) {
      (*it)->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
  auto worker = std::make_unique<Worker>();
  Worker* w = worker.get();
  w->thread = dw::Thread([this, w, p = std::shared_ptr<Notifications>(std::move(plan))] {
    Notify(*p);
    w->done = true;
  });
  workers_.push_back(std::move(worker));
}

void Simulator::Notify(Notifications& n) {
  for (std::size_t i = 0; i < n.plan.size(); ++i) {
    host_.clock->WaitUntil(n.startedMs + static_cast<std::int64_t>(i) * n.stepMs, stopping_);
    if (stopping_) return;
    // A hang-up, or a connection gone meanwhile, ends the notifications.
    bool alive = false;
    host_.store->Update([&](const Scenario&, State& state) {
      Sync(state);
      const Connection* c = state.FindConnection(n.handle);
      alive = c != nullptr && c->hungUpMs == 0;
    });
    if (!alive) return;
    const Dword state = n.plan[i];
    const Dword error = i + 1 == n.plan.size() ? n.error : 0;
    switch (n.notifierType) {
      case 0:
        reinterpret_cast<ras::RasDialFunc>(n.notifier)(ras::kWmRasDialEvent, state, error);
        break;
      case 1:
        reinterpret_cast<ras::RasDialFunc1>(n.notifier)(n.handle, ras::kWmRasDialEvent, state,
                                                        error, 0);
        break;
      default:
        // A RasDialFunc2 that answers 0 wants no more notifications.
        if (reinterpret_cast<ras::RasDialFunc2>(n.notifier)(
                n.callbackId, n.subEntry, n.handle, ras::kWmRasDialEvent, state, error, 0) == 0) {
          return;
        }
        break;
    }
  }
}

std::vector<Simulator::ConnectionInfo> Simulator::Connections() {
  std::vector<ConnectionInfo> list;
  host_.store->Update([&](const Scenario&, State& state) {
    Sync(state);
    const std::int64_t now = host_.clock->NowMs();
    for (const Connection& c : state.connections) list.push_back({c, ViewAt(c, now)});
  });
  return list;
}

std::uint64_t Simulator::MissingCalls() {
  std::uint64_t calls = 0;
  host_.store->Update([&](const Scenario&, State& state) { calls = state.missingCalls; });
  return calls;
}

std::vector<Entry> Simulator::Entries() {
  std::vector<Entry> entries;
  host_.store->Update([&](const Scenario&, State& state) {
    Sync(state);
    entries = state.entries;
  });
  return entries;
}

int Simulator::Drop(std::optional<Handle> which) {
  int dropped = 0;
  host_.store->Update([&](const Scenario&, State& state) {
    Sync(state);
    const std::int64_t now = host_.clock->NowMs();
    for (Connection& c : state.connections) {
      if (which && c.handle != *which) continue;
      c.goneMs = now;
      ++dropped;
    }
    Sync(state);
  });
  return dropped;
}

}  // namespace dw::sim
