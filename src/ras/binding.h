// The RAS entry points as the program calls them: one binding per Windows
// generation (their records differ), each call guarded by the readiness
// check and looked up by name at the moment it is made.
#pragma once

#include <cstdint>
#include <string>

#include "platform/error.h"
#include "ras/records.h"

namespace dw::ras {

// The four binding modules.
enum class Module { kRas98, kRasMe, kRas2k, kRasXp };

// The module for phone-book entry records (RASENTRY), by the generation of
// `winVer` (records.h): RasXp on XP and from Vista on.
Module EntryModule(std::uint32_t winVer);
// The module for every other call: XP and later share the Windows 2000
// records.
Module CallModule(std::uint32_t winVer);

// The `dwSize` module `m` writes for `r`; 0 when the module has no such record
// (RasXP declares only RASENTRY).
Dword ModuleRecordSize(Module m, Record r);

// Raised when the RAS library is not loaded or does not export a name.
class RasError : public Error {
 public:
  using Error::Error;
};

// The entry point `name` of the current library; raises RasError when
// missing. Never cached.
void* ResolveEntryPoint(const char* name);

// One module's operations. Each runs CheckRasReady first and answers 711
// without calling RAS when the service did not answer; otherwise the
// entry point's own result. Raise RasError as ResolveEntryPoint does.
class Binding {
 public:
  explicit constexpr Binding(Module module) : module_(module) {}
  Module module() const { return module_; }
  Dword Size(Record r) const { return ModuleRecordSize(module_, r); }

  Dword GetErrorString(unsigned code, char* text, Dword size) const;
  Dword EnumConnections(void* conns, Dword* bytes, Dword* count) const;
  Dword EnumEntries(void* names, Dword* bytes, Dword* count) const;
  Dword GetEntryProperties(const char* entry, void* record, Dword* recordSize,
                           std::uint8_t* deviceInfo, Dword* deviceInfoSize) const;
  Dword GetEntryDialParams(void* params, std::int32_t* passwordSaved) const;
  Dword SetEntryProperties(const char* entry, void* record, Dword recordSize,
                           std::uint8_t* deviceInfo, Dword deviceInfoSize) const;
  Dword ValidateEntryName(const char* entry) const;
  Dword EnumDevices(void* devices, Dword* bytes, Dword* count) const;
  Dword GetConnectStatus(Handle conn, void* status) const;
  Dword Dial(void* params, void* notifier, Handle* conn) const;
  Dword GetConnectionStatistics(Handle conn, void* stats) const;
  // The hang-up worker of this module (its RASCONNSTATUS size).
  Dword HangUp(Handle conn) const;

 private:
  Module module_;
};

// The bindings of the running system.
Binding EntryBinding();  // RASENTRY calls
Binding CallBinding();   // everything else
// RasValidateEntryNameA and the device-count query exist only in Ras2k.
inline constexpr Binding kRas2k{Module::kRas2k};

}  // namespace dw::ras
