#include "entry_points.h"

#include <atomic>
#include <cstring>

namespace dw::sim {

namespace {
std::atomic<Simulator*> g_current{nullptr};
}  // namespace

void SetCurrentSimulator(Simulator* simulator) {
  g_current = simulator;
}
Simulator* CurrentSimulator() {
  return g_current.load();
}

namespace entry {

#define DW_SIM_CALL(call)                                       \
  Simulator* sim = CurrentSimulator();                          \
  if (sim == nullptr) return ras::kErrorRasmanCannotInitialize; \
  return sim->call

Dword DW_RASAPI RasGetErrorStringA(unsigned code, char* text, Dword size) {
  return Simulator::GetErrorString(code, text, size);
}
Dword DW_RASAPI RasEnumConnectionsA(void* conns, Dword* bytes, Dword* count) {
  DW_SIM_CALL(EnumConnections(conns, bytes, count));
}
Dword DW_RASAPI RasHangUpA(Handle conn) {
  DW_SIM_CALL(HangUp(conn));
}
Dword DW_RASAPI RasEnumEntriesA(const char* reserved, const char* phonebook, void* names,
                                Dword* bytes, Dword* count) {
  DW_SIM_CALL(EnumEntries(reserved, phonebook, names, bytes, count));
}
Dword DW_RASAPI RasGetEntryPropertiesA(const char* phonebook, const char* entry, void* record,
                                       Dword* recordSize, std::uint8_t* deviceInfo,
                                       Dword* deviceInfoSize) {
  DW_SIM_CALL(GetEntryProperties(phonebook, entry, record, recordSize, deviceInfo, deviceInfoSize));
}
Dword DW_RASAPI RasGetEntryDialParamsA(const char* phonebook, void* params,
                                       std::int32_t* passwordSaved) {
  DW_SIM_CALL(GetEntryDialParams(phonebook, params, passwordSaved));
}
Dword DW_RASAPI RasSetEntryPropertiesA(const char* phonebook, const char* entry, void* record,
                                       Dword recordSize, std::uint8_t* deviceInfo,
                                       Dword deviceInfoSize) {
  DW_SIM_CALL(SetEntryProperties(phonebook, entry, record, recordSize, deviceInfo, deviceInfoSize));
}
Dword DW_RASAPI RasValidateEntryNameA(const char* phonebook, const char* entry) {
  DW_SIM_CALL(ValidateEntryName(phonebook, entry));
}
Dword DW_RASAPI RasEnumDevicesA(void* devices, Dword* bytes, Dword* count) {
  DW_SIM_CALL(EnumDevices(devices, bytes, count));
}
Dword DW_RASAPI RasGetConnectStatusA(Handle conn, void* status) {
  DW_SIM_CALL(GetConnectStatus(conn, status));
}
Dword DW_RASAPI RasDialA(void* extensions, const char* phonebook, void* params, Dword notifierType,
                         void* notifier, Handle* conn) {
  DW_SIM_CALL(Dial(extensions, phonebook, params, notifierType, notifier, conn));
}
Dword DW_RASAPI RasGetConnectionStatistics(Handle conn, void* stats) {
  DW_SIM_CALL(GetConnectionStatistics(conn, stats));
}
Dword DW_RASAPI RasSimMarker() {
  return kMarker;
}

#undef DW_SIM_CALL

}  // namespace entry

void* LookupEntryPoint(const char* name, ras::Generation generation) {
  struct Export {
    const char* name;
    void* address;
  };
  // Function addresses as data pointers: what GetProcAddress hands out too.
  const Export exports[] = {
      {"RasGetErrorStringA", reinterpret_cast<void*>(&entry::RasGetErrorStringA)},
      {"RasEnumConnectionsA", reinterpret_cast<void*>(&entry::RasEnumConnectionsA)},
      {"RasHangUpA", reinterpret_cast<void*>(&entry::RasHangUpA)},
      {"RasEnumEntriesA", reinterpret_cast<void*>(&entry::RasEnumEntriesA)},
      {"RasGetEntryPropertiesA", reinterpret_cast<void*>(&entry::RasGetEntryPropertiesA)},
      {"RasGetEntryDialParamsA", reinterpret_cast<void*>(&entry::RasGetEntryDialParamsA)},
      {"RasSetEntryPropertiesA", reinterpret_cast<void*>(&entry::RasSetEntryPropertiesA)},
      {"RasValidateEntryNameA", reinterpret_cast<void*>(&entry::RasValidateEntryNameA)},
      {"RasEnumDevicesA", reinterpret_cast<void*>(&entry::RasEnumDevicesA)},
      {"RasGetConnectStatusA", reinterpret_cast<void*>(&entry::RasGetConnectStatusA)},
      {"RasDialA", reinterpret_cast<void*>(&entry::RasDialA)},
      {"RasGetConnectionStatistics", reinterpret_cast<void*>(&entry::RasGetConnectionStatistics)},
      {"RasSimMarker", reinterpret_cast<void*>(&entry::RasSimMarker)},
  };
  if (name == nullptr) return nullptr;
  if (ras::IsWin9x(generation) && std::strcmp(name, "RasGetConnectionStatistics") == 0) {
    return nullptr;
  }
  for (const Export& e : exports) {
    if (std::strcmp(e.name, name) == 0) return e.address;
  }
  return nullptr;
}

SimRasLibrary::SimRasLibrary(Simulator& simulator) : simulator_(simulator) {
  SetCurrentSimulator(&simulator_);
}

SimRasLibrary::~SimRasLibrary() {
  if (CurrentSimulator() == &simulator_) SetCurrentSimulator(nullptr);
}

void* SimRasLibrary::Lookup(const char* name) const {
  return LookupEntryPoint(name, simulator_.generation());
}

}  // namespace dw::sim
