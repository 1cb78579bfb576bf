#include "ras/binding.h"

#include "ras/context.h"
#include "ras/readiness.h"

namespace dw::ras {
namespace {

template <typename Fn, typename... Args>
Dword Guarded(const char* name, Args... args) {
  // Only the exact 711 stops the call; 603, 0 and other probe results let it go.
  if (CheckRasReady() == kErrorRasmanCannotInitialize) return kErrorRasmanCannotInitialize;
  return reinterpret_cast<Fn>(ResolveEntryPoint(name))(args...);
}

// Follows the generation, so that the choice by WinVer is made in one place.
Module ModuleOf(std::uint32_t winVer, bool entryRecords) {
  switch (GenerationOf(winVer)) {
    case Generation::kWin98:
      return Module::kRas98;
    case Generation::kWinMe:
      return Module::kRasMe;
    case Generation::kWinXp:
    case Generation::kVista:
      return entryRecords ? Module::kRasXp : Module::kRas2k;
    case Generation::kWin2000:
      break;
  }
  return Module::kRas2k;
}

}  // namespace

Module EntryModule(std::uint32_t winVer) { return ModuleOf(winVer, true); }
Module CallModule(std::uint32_t winVer) { return ModuleOf(winVer, false); }

Dword ModuleRecordSize(Module m, Record r) {
  switch (m) {
    case Module::kRas98:
      return RecordSize(Generation::kWin98, r);
    case Module::kRasMe:
      return RecordSize(Generation::kWinMe, r);
    case Module::kRas2k:
      return RecordSize(Generation::kWin2000, r);
    case Module::kRasXp:
      return r == Record::kEntry ? RecordSize(Generation::kWinXp, r) : 0;
  }
  return 0;
}

void* ResolveEntryPoint(const char* name) {
  const RasLibrary* library = CurrentRasContext().library;
  if (!library || !library->IsLoaded()) throw RasError("RAS library not loaded");
  void* entry = library->Lookup(name);
  if (!entry) throw RasError(std::string("RAS entry point not found: ") + name);
  return entry;
}

Binding EntryBinding() { return Binding(EntryModule(CurrentRasContext().winVer)); }
Binding CallBinding() { return Binding(CallModule(CurrentRasContext().winVer)); }

Dword Binding::GetErrorString(unsigned code, char* text, Dword size) const {
  return Guarded<RasGetErrorStringAFn>("RasGetErrorStringA", code, text, size);
}
Dword Binding::EnumConnections(void* conns, Dword* bytes, Dword* count) const {
  return Guarded<RasEnumConnectionsAFn>("RasEnumConnectionsA", conns, bytes, count);
}
Dword Binding::EnumEntries(void* names, Dword* bytes, Dword* count) const {
  return Guarded<RasEnumEntriesAFn>("RasEnumEntriesA", static_cast<const char*>(nullptr),
                                    static_cast<const char*>(nullptr), names, bytes, count);
}
Dword Binding::GetEntryProperties(const char* entry, void* record, Dword* recordSize,
                                  std::uint8_t* deviceInfo, Dword* deviceInfoSize) const {
  return Guarded<RasGetEntryPropertiesAFn>("RasGetEntryPropertiesA",
                                           static_cast<const char*>(nullptr), entry, record,
                                           recordSize, deviceInfo, deviceInfoSize);
}
Dword Binding::GetEntryDialParams(void* params, std::int32_t* passwordSaved) const {
  return Guarded<RasGetEntryDialParamsAFn>("RasGetEntryDialParamsA",
                                           static_cast<const char*>(nullptr), params,
                                           passwordSaved);
}
Dword Binding::SetEntryProperties(const char* entry, void* record, Dword recordSize,
                                  std::uint8_t* deviceInfo, Dword deviceInfoSize) const {
  return Guarded<RasSetEntryPropertiesAFn>("RasSetEntryPropertiesA",
                                           static_cast<const char*>(nullptr), entry, record,
                                           recordSize, deviceInfo, deviceInfoSize);
}
Dword Binding::ValidateEntryName(const char* entry) const {
  return Guarded<RasValidateEntryNameAFn>("RasValidateEntryNameA",
                                          static_cast<const char*>(nullptr), entry);
}
Dword Binding::EnumDevices(void* devices, Dword* bytes, Dword* count) const {
  return Guarded<RasEnumDevicesAFn>("RasEnumDevicesA", devices, bytes, count);
}
Dword Binding::GetConnectStatus(Handle conn, void* status) const {
  return Guarded<RasGetConnectStatusAFn>("RasGetConnectStatusA", conn, status);
}
Dword Binding::Dial(void* params, void* notifier, Handle* conn) const {
  return Guarded<RasDialAFn>("RasDialA", static_cast<void*>(nullptr),
                             static_cast<const char*>(nullptr), params, Dword{0}, notifier, conn);
}
Dword Binding::GetConnectionStatistics(Handle conn, void* stats) const {
  return Guarded<RasGetConnectionStatisticsFn>("RasGetConnectionStatistics", conn, stats);
}
Dword Binding::HangUp(Handle conn) const {
  return HangUpWithWorker(conn, Size(Record::kConnStatus));
}

}  // namespace dw::ras
