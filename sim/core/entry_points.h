// The simulator as a RAS library: entry points with the published
// signatures, serving the process's current simulator. The native tests bind
// them through the RAS-library port; rasapi32.dll exports them.
#pragma once

#include "platform/ras_library.h"
#include "ras/records.h"
#include "simulator.h"

namespace dw::sim {

// What the marker export answers: proof that the simulator is the loaded
// rasapi32.dll and not Wine's own.
inline constexpr Dword kMarker = 0x52415353;  // "RASS"

// The simulator that the entry points serve; with none, every call but
// RasGetErrorStringA answers 711, as a RAS service that is not there.
void SetCurrentSimulator(Simulator* simulator);
Simulator* CurrentSimulator();

namespace entry {
Dword DW_RASAPI RasGetErrorStringA(unsigned code, char* text, Dword size);
Dword DW_RASAPI RasEnumConnectionsA(void* conns, Dword* bytes, Dword* count);
Dword DW_RASAPI RasHangUpA(Handle conn);
Dword DW_RASAPI RasEnumEntriesA(const char* reserved, const char* phonebook, void* names,
                                Dword* bytes, Dword* count);
Dword DW_RASAPI RasGetEntryPropertiesA(const char* phonebook, const char* entry, void* record,
                                       Dword* recordSize, std::uint8_t* deviceInfo,
                                       Dword* deviceInfoSize);
Dword DW_RASAPI RasGetEntryDialParamsA(const char* phonebook, void* params,
                                       std::int32_t* passwordSaved);
Dword DW_RASAPI RasSetEntryPropertiesA(const char* phonebook, const char* entry, void* record,
                                       Dword recordSize, std::uint8_t* deviceInfo,
                                       Dword deviceInfoSize);
Dword DW_RASAPI RasValidateEntryNameA(const char* phonebook, const char* entry);
Dword DW_RASAPI RasEnumDevicesA(void* devices, Dword* bytes, Dword* count);
Dword DW_RASAPI RasGetConnectStatusA(Handle conn, void* status);
Dword DW_RASAPI RasDialA(void* extensions, const char* phonebook, void* params, Dword notifierType,
                         void* notifier, Handle* conn);
Dword DW_RASAPI RasGetConnectionStatistics(Handle conn, void* stats);
Dword DW_RASAPI RasSimMarker();
}  // namespace entry

// The entry point exported under `name` on a system of `generation`, or null
// (RasGetConnectionStatistics came with Windows 2000).
void* LookupEntryPoint(const char* name, ras::Generation generation);

// The RAS-library port over a simulator, which it makes current while it
// lives.
class SimRasLibrary final : public RasLibrary {
 public:
  explicit SimRasLibrary(Simulator& simulator);
  ~SimRasLibrary() override;
  bool IsLoaded() const override { return true; }
  void* Lookup(const char* name) const override;

 private:
  Simulator& simulator_;
};

}  // namespace dw::sim
